#include "support/LegacyText.h"

#include <iconv.h>

#include <stdexcept>

#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

namespace korvel::test {

const std::vector<LegacyLanguage>& LegacyLanguages() {
    static const std::vector<LegacyLanguage> languages = {
        {"windows-1251", "WINDOWS-1251", {
            {"Кино", "Группа крови", "Группа крови"},
            {"ДДТ", "Что такое осень", "Актриса Весна"},
            {"Земфира", "Хочешь?", "Прости меня моя любовь"},
            {"Сплин", "Выхода нет", "Новые люди"},
            {"Би-2", "Полковнику никто не пишет", "Би-2"},
            {"Наутилус Помпилиус", "Я хочу быть с тобой", "Разлука"},
            {"Океан Ельзи", "Без бою", "Суперсиметрія"},
            {"Руслана", "Дикі танці", "Дикі танці"},
            {"Бумбокс", "Вахтёрам", "Family бизнес"},
            {"Лили Иванова", "Щурче", "Щурче"},
            {"Ляпис Трубецкой", "Капитал", "Капитал"},
            {"Агата Кристи", "Как на войне", "Позорная звезда"},
            {"Алла Пугачёва", "Миллион алых роз", "Как тревожен этот путь"},
            {"Машина времени", "Поворот", "Поворот"},
            {"Аквариум", "Город золотой", "Десять стрел"},
            {"Чайф", "Аргентина-Ямайка 5:0", "Шекогали"},
            {"Мумий Тролль", "Владивосток 2000", "Морская"},
            {"Скрябін", "Мам", "Танго"},
            {"Валерий Меладзе", "Самба белого мотылька", "Последний романтик"},
            {"Любэ", "Комбат", "Комбат"},
            {"Сестри Тельнюк", "Вогонь", "Жінка Бога"},
            {"Ирина Аллегрова", "Императрица", "Императрица"},
        }},
        {"koi8-r", "KOI8-R", {
            {"Алиса", "Трасса Е95", "Шестой лесничий"},
            {"Ария", "Беспечный ангел", "Генератор зла"},
            {"Гражданская оборона", "Всё идёт по плану", "Всё идёт по плану"},
            {"Звери", "Всё, что тебя касается", "Районы-кварталы"},
            {"Король и Шут", "Лесник", "Камнем по голове"},
            {"Ленинград", "WWW", "Дачники"},
            {"Пикник", "Египтянин", "Египтянин"},
            {"Сектор Газа", "Туман", "Газовая атака"},
            {"Ночные снайперы", "31-я весна", "Цунами"},
            {"Кипелов", "Я свободен", "Реки времён"},
            {"Дельфин", "Дверь", "Звезда"},
            {"Високосный год", "Тихий огонёк", "Лучшая песня о любви"},
            {"Мельница", "Ночная кобыла", "Дорога сна"},
            {"Animal ДжаZ", "Три полоски", "Шаг"},
            {"Чиж и Ко", "Вечная молодость", "Перекрёсток"},
            {"Танцы минус", "Половинка", "Флора и фауна"},
            {"Ундервуд", "Гагарин, я вас любила", "Всё пройдёт, милая"},
            {"Вячеслав Бутусов", "Гуд бай, Америка", "Овалы"},
            {"Владимир Высоцкий", "Кони привередливые", "Натянутый канат"},
            {"Булат Окуджава", "Последний троллейбус", "Песни"},
            {"Татьяна Буланова", "Ясный мой свет", "Обидно"},
        }},
        {"windows-1250", "WINDOWS-1250", {
            {"Czesław Niemen", "Dziwny jest ten świat", "Dziwny jest ten świat"},
            {"Maryla Rodowicz", "Małgośka", "Wyznanie"},
            {"Lady Pank", "Mniej niż zero", "Lady Pank"},
            {"Perfect", "Autobiografia", "Perfect"},
            {"Kult", "Arahja", "Spokojnie"},
            {"Dżem", "Wehikuł czasu", "Cegła"},
            {"Budka Suflera", "Jolka, Jolka pamiętasz", "Na brzegu światła"},
            {"Edyta Górniak", "Dotyk", "Dotyk"},
            {"Karel Gott", "Lady Karneval", "Lady Karneval"},
            {"Lucie Bílá", "Láska je láska", "Missariel"},
            {"Jaromír Nohavica", "Těšínská", "Darmoděj"},
            {"Marta Kubišová", "Modlitba pro Martu", "Songy a balady"},
            {"Olympic", "Jasná zpráva", "Pták Rosomák"},
            {"Omega", "Gyöngyhajú lány", "10000 lépés"},
            {"Zorán", "Kell még egy szó", "Az ablak mellett"},
            {"Elán", "Kaskadér", "Nie sme zlí"},
            {"Hana Hegerová", "Čerešne", "Recital"},
            {"Oliver Dragojević", "Cesarica", "Vjeruj u ljubav"},
            {"Myslovitz", "Długość dźwięku samotności", "Miłość w czasach popkultury"},
            {"Kayah & Bregović", "Prawy do lewego", "Kayah i Bregović"},
            {"Krzysztof Krawczyk", "Parostatek", "Ostatni raz zatańczysz ze mną"},
        }},
        {"windows-1253", "WINDOWS-1253", {
            {"Μίκης Θεοδωράκης", "Ζορμπάς", "Ζορμπάς"},
            {"Νίκος Ξυλούρης", "Ανυπεράσπιστος", "Ριζίτικα"},
            {"Χάρις Αλεξίου", "Μια πίστα από φώσφορο", "Η Χάρις Αλεξίου τραγουδά"},
            {"Σωκράτης Μάλαμας", "Πριγκηπέσσα", "Ένα"},
            {"Άννα Βίσση", "Δοδεκάνησα", "Κραυγή"},
            {"Νίκος Παπάζογλου", "Αχ Ελλάδα", "Χαράτσι"},
            {"Διονύσης Σαββόπουλος", "Ντιρλαντά", "Βρώμικο ψωμί"},
            {"Γιάννης Πάριος", "Τα νησιά", "Τα νησιώτικα"},
            {"Ελευθερία Αρβανιτάκη", "Την αγάπη μου", "Εκτός προγράμματος"},
            {"Μάνος Χατζιδάκις", "Τα παιδιά του Πειραιά", "Ποτέ την Κυριακή"},
            {"Στέλιος Καζαντζίδης", "Υπάρχω", "Υπάρχω"},
            {"Γλυκερία", "Τα κορίτσια", "Μαραμένα τα βασιλικά"},
            {"Βασίλης Παπακωνσταντίνου", "Αχαρνής", "Διακοπές στη Σελήνη"},
            {"Πυξ Λαξ", "Μπαλάντα του κυρ Μέντιου", "Ζωντανοί"},
            {"Δήμητρα Γαλάνη", "Κάτι να μου θυμίζει", "Σ' αγαπώ"},
            {"Τρύπες", "Δω στα ψηλά", "Τρύπες"},
            {"Νότης Σφακιανάκης", "Πες μου", "Εμένα θα θυμάσαι"},
            {"Σάκης Ρουβάς", "Σ' ακολουθώ", "Τώρα αρχίζουν τα δύσκολα"},
            {"Μαρινέλλα", "Άνοιξε πέτρα", "Ρεσιτάλ"},
            {"Καίτη Γαρμπή", "Ψέματα", "Πρόσωπο με πρόσωπο"},
            {"Γιώργος Νταλάρας", "Μέρα Μαγιού", "Ρεμπέτικα"},
        }},
        {"windows-1254", "WINDOWS-1254", {
            {"Tarkan", "Şımarık", "Ölürüm Sana"},
            {"Sezen Aksu", "Gülümse", "Gülümse"},
            {"Barış Manço", "Dönence", "Sağlıcakla Kalın"},
            {"MFÖ", "Ele Güne Karşı", "Ele Güne Karşı"},
            {"Müslüm Gürses", "Nilüfer", "Sevda Yüklü Kervanlar"},
            {"Ajda Pekkan", "Bambaşka Biri", "Ajda"},
            {"Teoman", "Paramparça", "O"},
            {"Duman", "Bu Akşam", "Belki Alışman Lazım"},
            {"Mor ve Ötesi", "Bir Derdim Var", "Dünya Yalan Söylüyor"},
            {"Zeki Müren", "Manastırın Bahçesinde", "Zeki Müren Klasikleri"},
            {"Cem Karaca", "Resimdeki Gözyaşları", "Yoksulluk Kader Olamaz"},
            {"Erkin Koray", "Öyle Bir Geçer Zaman Ki", "Elektronik Türküler"},
            {"Sertab Erener", "Aşk Ölmez", "Sertab"},
            {"Kenan Doğulu", "Çakkıdı", "Ex Aşkım"},
            {"Candan Erçetin", "Yalan", "Hazırım"},
            {"Mazhar Alanson", "Ah Bu Ben", "Yaş Otuzbeş"},
            {"Nilüfer", "Geceler", "Gözlerinin Içine"},
            {"Şebnem Ferah", "Sigara", "Kelebek"},
            {"Athena", "Holigan", "Holigan"},
            {"Sıla", "Yabancı", "Joker"},
            {"Ferdi Tayfur", "Huzurum Kalmadı", "Bana da Söyle"},
        }},
        {"windows-1257", "WINDOWS-1257", {
            {"Andrius Mamontovas", "Laisvė", "Tikras garsas"},
            {"Foje", "Paskutinis traukinys", "Kitoks pasaulis"},
            {"Antis", "Zombiai", "Antis"},
            {"Raimonds Pauls", "Dāvāja Māriņa", "Dziesmas"},
            {"Prāta Vētra", "Lidmašīnas", "Veronika"},
            {"Jurga Šeduikytė", "Aukso pieva", "Aukso pieva"},
            {"Marijonas Mikutavičius", "Trys milijonai", "Geriausios dainos"},
            {"Skamp", "Šokio pamokos", "Angata"},
            {"Jazzu", "Kitą kartą", "Kitoks"},
            {"Līvi", "Ozolam", "Kaut kas mainās"},
            {"Jumprava", "Ziemeļmeita", "Jumprava"},
            {"Dzeltenie Pastnieki", "Bolderājas dzelzceļš", "Naktsmūzika"},
            {"Imants Kalniņš", "Es neesmu dzejnieks", "Dziesmas"},
            {"Vytautas Kernagis", "Ką aš žinau", "Geriausios dainos"},
            {"Rondo", "Meilės daina", "Šventė"},
            {"Mia", "Mylėk mane", "Įkvėpk"},
            {"Aistė Smilgevičiūtė", "Mėnesiena", "Skylė"},
            {"Čikāgas Piecīši", "Dziesmiņa par pilsētu", "Zelta dziesmas"},
            {"Kārlis Bauls", "Tālumā", "Vējš"},
            {"Gintarė Jautakaitė", "Vakaro žvaigždė", "Dainos"},
            {"Saulius Prūsaitis", "Vėjas", "Laiškai"},
        }},
        {"shift_jis", "CP932", {
            {"宇多田ヒカル", "First Love", "First Love"},
            {"浜崎あゆみ", "Dearest", "I am..."},
            {"サザンオールスターズ", "いとしのエリー", "10ナンバーズ・からっと"},
            {"美空ひばり", "川の流れのように", "川の流れのように"},
            {"中島みゆき", "時代", "私の声が聞こえますか"},
            {"スピッツ", "ロビンソン", "ハチミツ"},
            {"坂本九", "上を向いて歩こう", "上を向いて歩こう"},
            {"松任谷由実", "卒業写真", "COBALT HOUR"},
            {"椎名林檎", "丸の内サディスティック", "無罪モラトリアム"},
            {"久保田利伸", "LA・LA・LA LOVE SONG", "LA・LA・LA LOVE SONG"},
            {"安室奈美恵", "CAN YOU CELEBRATE?", "concentration 20"},
            {"ミスターチルドレン", "イノセントワールド", "Atomic Heart"},
            {"山下達郎", "クリスマス・イブ", "MELODIES"},
            {"竹内まりや", "プラスティック・ラブ", "VARIETY"},
            {"ドリームズ・カム・トゥルー", "未来予想図II", "ワンダーランド"},
            {"X JAPAN", "紅", "BLUE BLOOD"},
            {"井上陽水", "少年時代", "ハンサムボーイ"},
            {"吉田拓郎", "結婚しようよ", "人間なんて"},
            {"松田聖子", "赤いスイートピー", "Pineapple"},
            {"大瀧詠一", "君は天然色", "A LONG VACATION"},
            {"小田和正", "ラブ・ストーリーは突然に", "Oh! Yeah!"},
        }},
        {"gbk", "GBK", {
            {"王菲", "红豆", "唱游"},
            {"邓丽君", "月亮代表我的心", "岛国之情歌"},
            {"崔健", "一无所有", "新长征路上的摇滚"},
            {"周杰伦", "七里香", "七里香"},
            {"那英", "征服", "征服"},
            {"刘欢", "好汉歌", "水浒传"},
            {"朴树", "白桦林", "我去2000年"},
            {"许巍", "蓝莲花", "时光漫步"},
            {"黑豹乐队", "无地自容", "黑豹"},
            {"汪峰", "春天里", "信仰在空中飘扬"},
            {"张学友", "吻别", "吻别"},
            {"孙燕姿", "遇见", "The Moment"},
            {"韩红", "天路", "感动"},
            {"毛阿敏", "渴望", "毛阿敏金曲"},
            {"腾格尔", "天堂", "天堂"},
            {"羽泉", "最美", "最美"},
            {"田震", "执着", "执着"},
            {"老狼", "同桌的你", "校园民谣"},
            {"宋祖英", "好日子", "好日子"},
            {"郑钧", "回到拉萨", "赤裸裸"},
            {"李健", "传奇", "似水流年"},
        }},
        {"big5", "BIG5", {
            {"張惠妹", "聽海", "Bad Boy"},
            {"周華健", "朋友", "朋友"},
            {"伍佰", "挪威的森林", "愛情的盡頭"},
            {"羅大佑", "童年", "之乎者也"},
            {"蔡琴", "恰似你的溫柔", "出塞曲"},
            {"五月天", "倔強", "神的孩子都在跳舞"},
            {"蘇打綠", "小情歌", "小宇宙"},
            {"陳綺貞", "旅行的意義", "華麗的冒險"},
            {"林憶蓮", "至少還有你", "至少還有你"},
            {"李宗盛", "山丘", "山丘"},
            {"張雨生", "我的未來不是夢", "想念我"},
            {"齊秦", "外面的世界", "狼的專輯"},
            {"潘越雲", "天天天藍", "情字這條路"},
            {"江蕙", "家後", "半醒"},
            {"費玉清", "一剪梅", "費玉清經典"},
            {"劉德華", "忘情水", "忘情水"},
            {"張國榮", "當年情", "英雄本色"},
            {"梅艷芳", "女人花", "女人花"},
            {"黃品源", "你怎麼捨得我難過", "海邊"},
            {"周杰倫", "晴天", "葉惠美"},
            {"楊丞琳", "曖昧", "曖昧"},
        }},
        {"euc-kr", "EUC-KR", {
            {"조용필", "돌아와요 부산항에", "조용필 1집"},
            {"서태지와 아이들", "난 알아요", "서태지와 아이들"},
            {"김광석", "서른 즈음에", "김광석 네번째"},
            {"이문세", "광화문 연가", "이문세 4집"},
            {"신승훈", "보이지 않는 사랑", "신승훈 2집"},
            {"이선희", "아름다운 강산", "이선희 4집"},
            {"들국화", "그것만이 내 세상", "들국화"},
            {"송골매", "어쩌다 마주친 그대", "송골매 2집"},
            {"윤도현", "사랑했나봐", "공존"},
            {"김건모", "잘못된 만남", "김건모 3집"},
            {"부활", "희야", "부활 1집"},
            {"산울림", "아니 벌써", "산울림 1집"},
            {"자우림", "매직 카펫 라이드", "연인들의 이야기"},
            {"이소라", "바람이 분다", "눈썹달"},
            {"신해철", "그대에게", "무한궤도"},
            {"패티김", "이별", "패티김 골든"},
            {"나훈아", "고향역", "나훈아 힛트곡"},
            {"크라잉넛", "말달리자", "크라잉넛"},
            {"박효신", "눈의 꽃", "소울 트리"},
            {"이적", "하늘을 달리다", "2적"},
            {"버스커 버스커", "벚꽃 엔딩", "버스커 버스커 1집"},
        }},
        {"windows-1252", "WINDOWS-1252", {
            {"Édith Piaf", "Non, je ne regrette rien", "La vie en rose"},
            {"Mylène Farmer", "Désenchantée", "L'Autre..."},
            {"Céline Dion", "Pour que tu m'aimes encore", "D'eux"},
            {"Françoise Hardy", "Tous les garçons et les filles", "Françoise Hardy"},
            {"Cœur de pirate", "Comme des enfants", "Cœur de pirate"},
            {"Stromae", "Formidable", "Racine carrée"},
            {"Beyoncé", "Déjà Vu", "B'Day"},
            {"Die Ärzte", "Schrei nach Liebe", "Die Bestie in Menschengestalt"},
            {"Herbert Grönemeyer", "Männer", "4630 Bochum"},
            {"Die Toten Hosen", "Tage wie diese", "Ballast der Republik"},
            {"Xavier Naidoo", "Dieser Weg", "Telegramm für X"},
            {"Mötley Crüe", "Kickstart My Heart", "Dr. Feelgood"},
            {"Joaquín Sabina", "Y nos dieron las diez", "Física y química"},
            {"Maná", "Rayando el sol", "¿Dónde jugarán los niños?"},
            {"Héroes del Silencio", "Entre dos tierras", "Senderos de traición"},
            {"Alejandro Sanz", "Corazón partío", "Más"},
            {"Elis Regina", "Águas de Março", "Elis & Tom"},
            {"Caetano Veloso", "Coração Vagabundo", "Domingo"},
            {"Amália Rodrigues", "Estranha Forma de Vida", "Com Que Voz"},
            {"Tribalistas", "Já sei namorar", "Tribalistas"},
            {"Björk", "Jóga", "Homogenic"},
            {"Sigur Rós", "Hoppípolla", "Takk..."},
            {"Lars Winnerbäck", "Söndermarken", "Söndermarken"},
            {"Kaizers Orchestra", "Kontroll på kontinentet", "Ompa til du dør"},
            {"Åge Aleksandersen", "Lys og varme", "Levva livet"},
            {"Kim Larsen", "Jutlandia", "Forklædt som voksen"},
            {"Fabrizio De André", "Bocca di Rosa", "Volume I"},
            {"Kari Tapio", "Olen suomalainen", "Myrskyn jälkeen"},
            {"Zoë Keating", "Escape Artist", "Into the Trees"},
            {"Ludwig van Beethoven", "Für Elise", "Klavierstücke"},
        }},

    };
    return languages;
}

std::string InCharset(const std::string& utf8, const std::string& charset, size_t limit,
                      std::string* fitted) {
    const iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv does not know " + charset);
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string character = utf8.substr(i, length);
        char bytes[16];
        char* in = character.data();
        size_t inLeft = character.size();
        char* to = bytes;
        size_t toLeft = sizeof bytes;
        if (iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<size_t>(-1)) {
            iconv_close(cd);
            throw std::runtime_error(charset + " has no bytes for " + character);
        }
        if (out.size() + static_cast<size_t>(to - bytes) > limit) break;
        out.append(bytes, to);
        i += length;
    }
    iconv_close(cd);
    if (fitted != nullptr) *fitted = utf8.substr(0, i);
    return out;
}

Bytes LegacyTaggedMp3(const Song& song, const std::string& charset, bool lyrics3) {
    const std::string artist = InCharset(song.artist, charset);
    const std::string title = InCharset(song.title, charset);
    const std::string album = InCharset(song.album, charset);
    const Bytes id3v2 = Tag(3, Concat({Frame23("TPE1", Text(0, B(artist))), Frame23("TIT2", Text(0, B(title))),
                                       Frame23("TALB", Text(0, B(album)))}));
    const Bytes lyrics =
        lyrics3 ? Lyrics3Tag(Lyrics3Field("EAR", artist) + Lyrics3Field("ETT", title) + Lyrics3Field("EAL", album))
                : Bytes();
    const Bytes id3v1 = ID3v1Record(InCharset(song.title, charset, 30), InCharset(song.artist, charset, 30),
                                    InCharset(song.album, charset, 30), "2004");
    return Concat({id3v2, MpegAudio(4), lyrics, id3v1});
}

}  // namespace korvel::test

#include "core/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "core/Ansi.h"

namespace korvel {

namespace {

const std::string kDefaultName = "windows-1252";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::string Lower(std::string_view name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

// The name the library shows and the name it hands to iconv.
struct Names {
    std::string canonical;
    std::string iconv;
};

Names Resolve(const std::string& lower) {
    // Tag writers on Japanese Windows wrote code page 932; glibc's SHIFT_JIS
    // would turn their backslashes and tildes into yen signs and overlines.
    if (lower == "shift_jis" || lower == "shift-jis" || lower == "sjis") return {"shift_jis", "CP932"};
    if (lower.size() == 6 && lower.compare(0, 5, "cp125") == 0) {
        return {"windows-125" + lower.substr(5), "WINDOWS-125" + lower.substr(5)};
    }
    return {lower, lower};
}

}  // namespace

// One iconv conversion in each direction. iconv descriptors keep state, so
// every conversion holds the mutex from reset to flush.
struct CodePage::Converter {
    std::string name;
    mutable std::mutex mutex;
    iconv_t decoder = kNoConverter;
    iconv_t encoder = kNoConverter;

    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (decoder != kNoConverter) iconv_close(decoder);
        if (encoder != kNoConverter) iconv_close(encoder);
    }

    std::string Decode(const uint8_t* data, size_t size) const;
    // Appends the bytes of one UTF-8 character; false when the code page has
    // none (the output is then unchanged).
    bool EncodeOne(std::string_view utf8, Bytes& out) const;
    void FlushEncoder(Bytes& out, size_t limit) const;
};

std::string CodePage::Converter::Decode(const uint8_t* data, size_t size) const {
    if (size == 0) return std::string();
    std::lock_guard<std::mutex> lock(mutex);
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(data));
    size_t inLeft = size;
    std::string buffer(size * 3 + 16, '\0');
    size_t used = 0;
    for (;;) {
        if (buffer.size() - used < 8) buffer.resize(buffer.size() * 2);
        char* to = buffer.data() + used;
        size_t toLeft = buffer.size() - used;
        const size_t result = iconv(decoder, &in, &inLeft, &to, &toLeft);
        used = buffer.size() - toLeft;
        if (result != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
        } else if (errno == EILSEQ) {
            // A byte the code page does not define: one replacement, then on.
            buffer.replace(used, kReplacementUtf8.size(), kReplacementUtf8);
            used += kReplacementUtf8.size();
            ++in;
            --inLeft;
            if (inLeft == 0) break;
        } else {
            // EINVAL: a character cut short by the end of the bytes.
            buffer.replace(used, kReplacementUtf8.size(), kReplacementUtf8);
            used += kReplacementUtf8.size();
            break;
        }
    }
    buffer.resize(used);
    return buffer;
}

bool CodePage::Converter::EncodeOne(std::string_view utf8, Bytes& out) const {
    char bytes[16];
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = bytes;
    size_t toLeft = sizeof bytes;
    if (iconv(encoder, &in, &inLeft, &to, &toLeft) == static_cast<size_t>(-1)) return false;
    out.insert(out.end(), bytes, to);
    return true;
}

void CodePage::Converter::FlushEncoder(Bytes& out, size_t limit) const {
    // Stateful code pages (ISO-2022-JP) close with a shift back to ASCII.
    char bytes[16];
    char* to = bytes;
    size_t toLeft = sizeof bytes;
    iconv(encoder, nullptr, nullptr, &to, &toLeft);
    const size_t count = static_cast<size_t>(to - bytes);
    if (out.size() + count <= limit) out.insert(out.end(), bytes, to);
}

namespace {

// Converters live for the whole process: one per name, opened on first use.
std::mutex g_registryMutex;

std::map<std::string, std::shared_ptr<const CodePage::Converter>>& Registry() {
    static auto* registry = new std::map<std::string, std::shared_ptr<const CodePage::Converter>>();
    return *registry;
}

}  // namespace

CodePage::CodePage() = default;

CodePage::CodePage(std::shared_ptr<const Converter> converter) : m_converter(std::move(converter)) {}

std::optional<CodePage> CodePage::Named(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == kDefaultName || lower == "cp1252" || lower == "ms-ansi") return CodePage();
    // iconv reads suffixes such as "//TRANSLIT" as options, not as names.
    if (lower.empty() || lower.find('/') != std::string::npos) return std::nullopt;
    const Names names = Resolve(lower);

    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto& registry = Registry();
    if (auto found = registry.find(names.canonical); found != registry.end()) {
        return found->second ? std::optional<CodePage>(CodePage(found->second)) : std::nullopt;
    }
    auto converter = std::make_shared<Converter>();
    converter->name = names.canonical;
    converter->decoder = iconv_open("UTF-8", names.iconv.c_str());
    converter->encoder = iconv_open(names.iconv.c_str(), "UTF-8");
    bool usable = converter->decoder != kNoConverter && converter->encoder != kNoConverter;
    if (usable) {
        // Tag fields end at a zero byte and hold ASCII as ASCII; a character
        // set of wider units or another alphabet cannot stand in for them.
        static constexpr std::string_view kProbe = "Az 09.-";
        Bytes probe;
        for (char c : kProbe) usable = usable && converter->EncodeOne(std::string_view(&c, 1), probe);
        usable = usable && probe == Bytes(kProbe.begin(), kProbe.end()) &&
                 converter->Decode(probe.data(), probe.size()) == kProbe;
    }
    if (!usable) {
        registry.emplace(names.canonical, nullptr);
        return std::nullopt;
    }
    registry.emplace(names.canonical, converter);
    return CodePage(converter);
}

const std::string& CodePage::Name() const { return m_converter ? m_converter->name : kDefaultName; }

std::string CodePage::Decode(const uint8_t* data, size_t size) const {
    if (!m_converter) return AnsiToUtf8(data, size);
    return m_converter->Decode(data, size);
}

Bytes CodePage::Encode(std::string_view text, size_t* unconvertible) const {
    return EncodeField(text, static_cast<size_t>(-1), unconvertible);
}

Bytes CodePage::EncodeField(std::string_view text, size_t limit, size_t* unconvertible) const {
    Bytes out;
    size_t missing = 0;
    if (!m_converter) {
        for (char32_t c : Utf8ToUtf32(text)) {
            if (out.size() >= limit) break;
            const int b = CodePointToAnsiByte(c);
            if (b < 0) ++missing;
            out.push_back(static_cast<uint8_t>(b < 0 ? '?' : b));
        }
    } else {
        std::lock_guard<std::mutex> lock(m_converter->mutex);
        iconv(m_converter->encoder, nullptr, nullptr, nullptr, nullptr);
        std::string utf8;
        for (char32_t c : Utf8ToUtf32(text)) {
            utf8.clear();
            AppendUtf8(utf8, c);
            Bytes bytes;
            const bool known = m_converter->EncodeOne(utf8, bytes);
            if (!known) m_converter->EncodeOne("?", bytes);
            if (out.size() + bytes.size() > limit) break;
            if (!known) ++missing;
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        m_converter->FlushEncoder(out, limit);
    }
    if (unconvertible != nullptr) *unconvertible += missing;
    return out;
}

bool CodePage::CanEncode(std::string_view text) const {
    if (!m_converter) return IsAnsiRepresentable(text);
    size_t missing = 0;
    Encode(text, &missing);
    return missing == 0;
}

CodePageChoice CodePageChoice::Automatic() {
    CodePageChoice choice;
    choice.m_automatic = true;
    return choice;
}

std::optional<CodePageChoice> CodePageChoice::Named(std::string_view name) {
    if (Lower(name) == "auto") return Automatic();
    if (std::optional<CodePage> page = CodePage::Named(name)) return CodePageChoice(*page);
    return std::nullopt;
}

namespace {

std::mutex g_defaultMutex;
std::optional<CodePageChoice> g_default;

}  // namespace

CodePageChoice DefaultCodePage() {
    std::lock_guard<std::mutex> lock(g_defaultMutex);
    if (!g_default) {
        const char* value = std::getenv(kCodePageVariable);
        std::optional<CodePageChoice> named;
        if (value != nullptr && *value != '\0') named = CodePageChoice::Named(value);
        g_default = named.value_or(CodePageChoice());
    }
    return *g_default;
}

void SetDefaultCodePage(const CodePageChoice& choice) {
    std::lock_guard<std::mutex> lock(g_defaultMutex);
    g_default = choice;
}

}  // namespace korvel

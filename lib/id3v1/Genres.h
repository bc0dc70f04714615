#pragma once
// The fixed list of ID3v1 genres: number and name, keyed by the number as
// decimal text, in list order.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Collection.h"

namespace korvel {

class Genre {
public:
    int16_t Num() const { return m_num; }
    void setNum(int16_t num) { m_num = num; }
    const std::string& Description() const { return m_description; }
    void SetDescription(const std::string& description) { m_description = description; }

private:
    int16_t m_num = 0;
    std::string m_description;
};

using GenrePtr = std::shared_ptr<Genre>;

class Genres {
public:
    // Builds the 149 entries: 0 to 147, then 255 "<Undefined>".
    Genres();

    // That list, built once per process and shared by every tag and editor;
    // it cannot be changed.
    static const std::shared_ptr<const Genres>& Standard();

    // Lookup by key (a string) or by 1-based position (a number). A failed
    // lookup of a numeric argument between 0 and 255 gives a new genre that is
    // not in the list, described as "<Not defined (arg)>"; otherwise null.
    GenrePtr Item(const std::string& key) const;
    GenrePtr Item(int32_t position) const;

    int32_t Count() const { return m_list.Count(); }

    // Lookups without the fallback.
    GenrePtr getGenreByID(const std::string& FieldID) const { return m_list.Item(FieldID); }
    GenrePtr getGenreByIndex(int32_t Index) const { return m_list.Item(Index); }

    // Iteration in list order.
    auto begin() const { return m_list.begin(); }
    auto end() const { return m_list.end(); }

    GenrePtr AddGenre(const std::string& description, int16_t number, const std::string& key);
    bool RemoveGenre(const std::string& key) { return m_list.Remove(key); }
    bool RemoveGenre(int32_t position) { return m_list.Remove(position); }

    // Name of a genre number from the fixed table; "" when the number has none.
    static std::string NameOf(int number);

private:
    static GenrePtr NotDefined(double value, const std::string& text);

    Collection<Genre> m_list;
};

using GenresPtr = std::shared_ptr<Genres>;
using ConstGenresPtr = std::shared_ptr<const Genres>;

}  // namespace korvel

#pragma once
// CSettings: an abstract store of named, typed values.
//
// Every get returns true when the value was read and leaves its output
// untouched otherwise (missing store, missing value, wrong type, read error).
// Every set creates what the store needs and reports nothing; a failed write
// is ignored. Bool and the three supported list types are built in this base
// on getInt/setInt and getString/setString; double lists are not supported.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

class CSettings {
public:
    virtual ~CSettings();

    virtual bool getBool(std::string_view name, bool& out);
    virtual bool getInt(std::string_view name, std::int32_t& out) = 0;
    virtual bool getDouble(std::string_view name, double& out) = 0;
    virtual bool getString(std::string_view name, std::string& out) = 0;
    // Reads at most size bytes into buffer; size becomes the number read.
    // A value larger than size is not read (false, nothing changed).
    virtual bool getBinary(std::string_view name, void* buffer, std::size_t& size) = 0;
    // count: the capacity of the array in, the number of elements read out.
    virtual bool getBoolList(std::string_view name, std::size_t& count, bool* out);
    virtual bool getIntList(std::string_view name, std::size_t& count, std::int32_t* out);
    virtual bool getDoubleList(std::string_view name, std::size_t& count, double* out);
    virtual bool getStringList(std::string_view name, std::size_t& count, std::string* out);

    virtual void setBool(std::string_view name, bool value);
    virtual void setInt(std::string_view name, std::int32_t value) = 0;
    virtual void setDouble(std::string_view name, double value) = 0;
    virtual void setString(std::string_view name, std::string_view value) = 0;
    virtual void setBinary(std::string_view name, const void* data, std::size_t size) = 0;
    virtual void setBoolList(std::string_view name, std::size_t count, const bool* values);
    virtual void setIntList(std::string_view name, std::size_t count, const std::int32_t* values);
    virtual void setDoubleList(std::string_view name, std::size_t count, const double* values);
    virtual void setStringList(std::string_view name, std::size_t count, const std::string* values);
};

// The text encodings of the lists, as stored in a String value.
//   BoolList   "101"           one digit per flag
//   IntList    "12,34,56"      decimal, comma-joined; negative values are left out
//   StringList "\"a\",\"b\""   each text quoted, comma-joined; no escapes
// The decoders take what they can and stop at the capacity; they return the
// number of elements stored.
std::string encodeBoolList(std::size_t count, const bool* values);
std::string encodeIntList(std::size_t count, const std::int32_t* values);
std::string encodeStringList(std::size_t count, const std::string* values);
std::size_t decodeBoolList(std::string_view text, std::size_t capacity, bool* out);
std::size_t decodeIntList(std::string_view text, std::size_t capacity, std::int32_t* out);
std::size_t decodeStringList(std::string_view text, std::size_t capacity, std::string* out);

} // namespace qm

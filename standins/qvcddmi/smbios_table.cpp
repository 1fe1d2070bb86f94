#include "smbios_table.h"

namespace standin {
namespace {

constexpr std::uint8_t kSystemInformationType = 1;
constexpr std::uint8_t kEndOfTableType = 127;
constexpr std::size_t kHeaderLength = 4;

// Strings follow the formatted area, numbered from 1; 0 means "no string".
std::string StringNumber(const std::vector<std::uint8_t>& table, std::size_t stringsStart, std::size_t stringsEnd,
                         std::uint8_t number) {
    if (number == 0) return {};
    std::size_t position = stringsStart;
    for (std::uint8_t current = 1; position < stringsEnd; ++current) {
        std::size_t end = position;
        while (end < stringsEnd && table[end] != 0) ++end;
        if (current == number) return std::string(table.begin() + position, table.begin() + end);
        if (end == position) break;  // the empty string that closes the set
        position = end + 1;
    }
    return {};
}

}  // namespace

SmbiosSystemStrings FindSystemStrings(const std::vector<std::uint8_t>& table) {
    SmbiosSystemStrings result;
    std::size_t position = 0;
    while (position + kHeaderLength <= table.size()) {
        const std::uint8_t type = table[position];
        const std::uint8_t length = table[position + 1];
        if (length < kHeaderLength || position + length > table.size()) break;
        // The string set ends with two NULs.
        const std::size_t stringsStart = position + length;
        std::size_t stringsEnd = stringsStart;
        while (stringsEnd + 1 < table.size() && !(table[stringsEnd] == 0 && table[stringsEnd + 1] == 0)) ++stringsEnd;
        if (stringsEnd + 1 >= table.size()) break;

        if (type == kSystemInformationType && length >= 8) {
            result.found = true;
            result.handle = static_cast<std::uint16_t>(table[position + 2] | (table[position + 3] << 8));
            result.manufacturer = StringNumber(table, stringsStart, stringsEnd, table[position + 4]);
            result.productName = StringNumber(table, stringsStart, stringsEnd, table[position + 5]);
            result.version = StringNumber(table, stringsStart, stringsEnd, table[position + 6]);
            result.serialNumber = StringNumber(table, stringsStart, stringsEnd, table[position + 7]);
            return result;
        }
        if (type == kEndOfTableType) break;
        position = stringsEnd + 2;
    }
    return result;
}

}  // namespace standin

#include "expr/bindings.h"

namespace hk::expr {

namespace {
bool isNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isNamePart(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == ':';
}
bool isAlnum(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}
} // namespace

std::string Bindings::key(std::string_view name) {
    std::string k(name);
    for (char& c : k)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return k;
}

bool Bindings::validName(std::string_view name) {
    if (name.empty() || !isNameStart(static_cast<unsigned char>(name[0]))) return false;
    std::size_t i = 1;
    while (i < name.size() && isNamePart(static_cast<unsigned char>(name[i]))) ++i;
    if (i == name.size()) return true;
    if (name[i] != '[' || name.back() != ']' || i + 2 >= name.size()) return false;
    for (std::size_t j = i + 1; j + 1 < name.size(); ++j)
        if (!isAlnum(static_cast<unsigned char>(name[j]))) return false;
    return true;
}

bool Bindings::bind(std::string_view name, Variable var) {
    if (!validName(name) || var.address == nullptr) return false;
    std::string k = key(name);
    for (Entry& e : entries_)
        if (e.key == k) {
            e.var = var;
            return true;
        }
    entries_.push_back(Entry{std::move(k), var});
    return true;
}

void Bindings::unbind(std::string_view name) {
    const std::string k = key(name);
    std::erase_if(entries_, [&](const Entry& e) { return e.key == k; });
}

const Variable* Bindings::find(std::string_view name) const {
    const std::string k = key(name);
    for (const Entry& e : entries_)
        if (e.key == k) return &e.var;
    return nullptr;
}

} // namespace hk::expr

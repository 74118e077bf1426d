#include "settings/NameList.h"

#include "platform/Text.h"

namespace {

std::wstring DuplicateMessage(const std::wstring& key) {
    return L"Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet: \"" + key +
           L"\"";
}

}  // namespace

NameListDuplicateError::NameListDuplicateError(const std::wstring& key)
    : std::runtime_error(Text::ToUtf8(DuplicateMessage(key))),
      key_(key),
      message_(DuplicateMessage(key)) {}

void NameList::Add(const std::wstring& name) {
    if (!foldedKeys_.insert(Text::ToLower(name)).second) throw NameListDuplicateError(name);
    names_.push_back(name);
}

bool NameList::Contains(const std::wstring& key) const {
    return foldedKeys_.count(Text::ToLower(key)) != 0;
}

#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

// Raised when a name is added whose key (letter case ignored) is already in
// the list. Callers catch it by type; what() is the German text in UTF-8.
class NameListDuplicateError : public std::runtime_error {
public:
    explicit NameListDuplicateError(const std::wstring& key);

    const std::wstring& key() const { return key_; }
    const std::wstring& message() const { return message_; }

private:
    std::wstring key_;
    std::wstring message_;
};

// The ordered list of names that the settings reader returns for the keys of a
// section or for the sections of the file. Entries keep file order; each entry
// is also its own lookup key, compared without regard to letter case.
class NameList {
public:
    using const_iterator = std::vector<std::wstring>::const_iterator;

    // Throws NameListDuplicateError when the key is already present.
    void Add(const std::wstring& name);
    bool Contains(const std::wstring& key) const;

    std::size_t size() const { return names_.size(); }
    bool empty() const { return names_.empty(); }
    const std::wstring& operator[](std::size_t index) const { return names_.at(index); }
    const_iterator begin() const { return names_.begin(); }
    const_iterator end() const { return names_.end(); }

private:
    std::vector<std::wstring> names_;
    // Folded with Text::ToLower, the same folding as Text::EqualsNoCase, so a
    // lookup is one hash probe instead of a scan of the list.
    std::unordered_set<std::wstring> foldedKeys_;
};

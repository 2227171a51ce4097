// The lines of "hotkeys.txt".
#include "hotkey_bindings.h"

#include <cstring>

#include "guid_text.h"

static const char kTab = '\t';
static const char kNextWord[] = "next";
static const size_t kNextLength = sizeof(kNextWord) - 1;
static const char kByteOrderMark[] = "\xEF\xBB\xBF";

static bool IsNextWord(const char* text, size_t length)
{
    if (length != kNextLength) {
        return false;
    }
    for (size_t i = 0; i < kNextLength; ++i) {
        char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != kNextWord[i]) {
            return false;
        }
    }
    return true;
}

static bool ReadBindingLine(const char* line, size_t length, HotkeyBinding* binding)
{
    if (length > 0 && line[length - 1] == '\r') {
        length--;
    }
    const char* tab = static_cast<const char*>(std::memchr(line, kTab, length));
    if (tab == nullptr) {
        return false;
    }
    size_t targetLength = static_cast<size_t>(tab - line);
    binding->next = IsNextWord(line, targetLength);
    if (!binding->next && !ParseGuidText(line, targetLength, &binding->target)) {
        return false;
    }
    return ParseHotkeyText(tab + 1, length - targetLength - 1, &binding->key);
}

static bool IsBound(const std::vector<HotkeyBinding>& bindings, const Hotkey& key)
{
    for (const HotkeyBinding& binding : bindings) {
        if (IsSameHotkey(binding.key, key)) {
            return true;
        }
    }
    return false;
}

void ReadHotkeyBindings(const char* bytes, size_t length, std::vector<HotkeyBinding>* bindings)
{
    if (bytes == nullptr || bindings == nullptr) {
        return;
    }
    size_t start = 0;
    if (length >= 3 && std::memcmp(bytes, kByteOrderMark, 3) == 0) {
        start = 3;
    }
    while (start < length) {
        const char* lineEnd = static_cast<const char*>(std::memchr(bytes + start, '\n', length - start));
        size_t end = lineEnd != nullptr ? static_cast<size_t>(lineEnd - bytes) : length;
        HotkeyBinding binding = {};
        if (ReadBindingLine(bytes + start, end - start, &binding) && !IsBound(*bindings, binding.key)) {
            bindings->push_back(binding);
        }
        start = end + 1;
    }
}

void FormatHotkeyBindings(const std::vector<HotkeyBinding>& bindings, std::vector<char>* text)
{
    text->clear();
    for (const HotkeyBinding& binding : bindings) {
        char key[kHotkeyTextCapacity];
        if (!FormatHotkeyText(binding.key, key)) {
            continue;
        }
        if (binding.next) {
            text->insert(text->end(), kNextWord, kNextWord + kNextLength);
        } else {
            char id[kGuidTextLength + 1];
            FormatGuidText(binding.target, id);
            text->insert(text->end(), id, id + kGuidTextLength);
        }
        text->push_back(kTab);
        text->insert(text->end(), key, key + std::strlen(key));
        text->push_back('\r');
        text->push_back('\n');
    }
}

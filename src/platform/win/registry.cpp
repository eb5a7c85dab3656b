// The registry reader on Windows: HKEY_CURRENT_USER, keys opened for reading
// only (never created), text values read as stored.

#include <windows.h>

#include <string>
#include <vector>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

namespace {

class WinRegistry : public RegistryReader {
public:
    ~WinRegistry() override { CloseKey(); }

    bool OpenKey(const std::string& key) override
    {
        CloseKey();
        // Key paths are written from the root ("\Software\GSAK"); the API
        // wants them without the leading backslash.
        std::string relative = key;
        while (!relative.empty() && relative.front() == '\\') relative.erase(0, 1);
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(relative).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        key_ = opened;
        return true;
    }

    std::optional<std::string> ReadString(const std::string& name) override
    {
        if (!key_) return std::nullopt;
        const std::wstring wideName = Wide(name);
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS rc = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return std::nullopt;  // no such value
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw UserError("Ungültiger Datentyp für '" + name + "'");
        // The value may change between the two calls; grow and ask again.
        std::vector<wchar_t> buffer;
        for (;;) {
            buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
            DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
            rc = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &bytes);
            if (rc == ERROR_MORE_DATA) {
                size = bytes;
                continue;
            }
            if (rc != ERROR_SUCCESS) return std::nullopt;
            if (type != REG_SZ && type != REG_EXPAND_SZ)
                throw UserError("Ungültiger Datentyp für '" + name + "'");
            size = bytes;
            break;
        }
        // Stored text need not end with its terminator; stop at the first one.
        std::size_t length = size / sizeof(wchar_t);
        for (std::size_t i = 0; i < length; ++i)
            if (buffer[i] == L'\0') {
                length = i;
                break;
            }
        return Utf8(std::wstring_view(buffer.data(), length));
    }

    void CloseKey() override
    {
        if (key_) ::RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::unique_ptr<RegistryReader> MakeRegistryReader()
{
    return std::make_unique<WinRegistry>();
}

}  // namespace ql::platform

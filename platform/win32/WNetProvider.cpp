#include "platform/win32/WNetProvider.h"

#include <windows.h>

#include <winnetwk.h>

#include <cstring>
#include <vector>

namespace platform::win32 {

namespace {

HANDLE ToHandle(NetworkProvider::Handle handle) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}

char* Text(const std::optional<std::string>& text) {
    // The router only reads the parent's texts.
    return text ? const_cast<char*>(text->c_str()) : nullptr;
}

std::optional<std::string> Copy(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

} // namespace

std::optional<NetworkProvider::Handle> WNetProvider::open(std::int32_t scope, std::int32_t type,
                                                          std::int32_t usage,
                                                          const NetResource* parent) {
    NETRESOURCEA container{};
    if (parent != nullptr) {
        container.dwScope = static_cast<DWORD>(parent->scope);
        container.dwType = static_cast<DWORD>(parent->type);
        container.dwDisplayType = static_cast<DWORD>(parent->displayType);
        container.dwUsage = static_cast<DWORD>(parent->usage);
        container.lpLocalName = Text(parent->localName);
        container.lpRemoteName = Text(parent->remoteName);
        container.lpComment = Text(parent->comment);
        container.lpProvider = Text(parent->provider);
    }
    HANDLE handle = nullptr;
    const DWORD result =
        WNetOpenEnumA(static_cast<DWORD>(scope), static_cast<DWORD>(type),
                      static_cast<DWORD>(usage), parent != nullptr ? &container : nullptr, &handle);
    if (result != NO_ERROR || handle == nullptr) {
        return std::nullopt;
    }
    return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(handle));
}

ReadOutcome WNetProvider::read(Handle handle, std::size_t budget) {
    // Records first, their strings behind them: aligned for the records.
    std::vector<NETRESOURCEA> buffer(budget / sizeof(NETRESOURCEA) + 1);
    DWORD count = 0xFFFFFFFF; // as many as fit
    DWORD size = static_cast<DWORD>(budget);
    ReadOutcome outcome;
    outcome.result =
        static_cast<int>(WNetEnumResourceA(ToHandle(handle), &count, buffer.data(), &size));
    if (outcome.result != NO_ERROR) {
        return outcome;
    }
    // Copied before the buffer goes: the strings live in it.
    for (DWORD i = 0; i < count && i < buffer.size(); ++i) {
        const NETRESOURCEA& raw = buffer[i];
        NetResource entry;
        entry.scope = static_cast<std::int32_t>(raw.dwScope);
        entry.type = static_cast<std::int32_t>(raw.dwType);
        entry.displayType = static_cast<std::int32_t>(raw.dwDisplayType);
        entry.usage = static_cast<std::int32_t>(raw.dwUsage);
        entry.localName = Copy(raw.lpLocalName);
        entry.remoteName = Copy(raw.lpRemoteName);
        entry.comment = Copy(raw.lpComment);
        entry.provider = Copy(raw.lpProvider);
        outcome.entries.push_back(std::move(entry));
    }
    return outcome;
}

void WNetProvider::close(Handle handle) {
    WNetCloseEnum(ToHandle(handle));
}

} // namespace platform::win32

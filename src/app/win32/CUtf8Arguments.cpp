#include "app/win32/CUtf8Arguments.h"

#include <windows.h>
#include <shellapi.h>

CUtf8Arguments::CUtf8Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr,
                                               nullptr);
        std::string argument(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
        if (length > 1) {
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr,
                                nullptr);
        }
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
}

// The framework's entry: the program supplies the application object, not main().
#include <QApplication>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "resource_language.h"
#include "resources.h"
#include "standard_ids.h"
#include "win_app.h"
#include "win_init.h"

namespace {

// The version block's file version, "1.0.0.2"; empty without one.
std::string FileVersion() {
    const glue::VersionInfo* version = glue::FindVersionInfo(1);
    if (version == nullptr) {
        return {};
    }
    const WORD* v = version->wFileVersion;
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

// The executable's name as the version block gives it ("Vandrel" is run as "vandrel"), for a
// program started without argv[0]; empty without one.
std::string InternalName() {
    const glue::VersionInfo* version = glue::FindVersionInfo(1);
    if (version == nullptr) {
        return {};
    }
    for (const glue::VersionString& string : version->strings) {
        if (std::strcmp(string.lpszKey, "InternalName") == 0) {
            std::string name = string.lpszValue;
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return name;
        }
    }
    return {};
}

// --help and --version answer without a display, so they are handled before Qt starts;
// any other "--" option is refused, and a lone "--" ends the options (it is taken out, so
// that what follows reaches the framework as file names). Returns the exit status, or -1
// to start the program.
int HandleInformationOptions(int& argc, char** argv) {
    const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
    const std::string exe = slash != nullptr ? slash + 1 : argc > 0 ? argv[0] : InternalName();
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--") == 0) {
            std::copy(argv + i + 1, argv + argc + 1, argv + i);  // argv[argc] is null
            --argc;
            break;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            CString title;
            AfxLoadString(AFX_IDS_APP_TITLE, title);
            std::printf(
                "Usage: %s [FILE]\n"
                "       %s /p FILE\n"
                "       %s /pt FILE PRINTER DRIVER PORT\n"
                "Starts %s; FILE opens as its document.\n"
                "\n"
                "  -h, --help  print this help and exit\n"
                "  --version   print the version and exit\n"
                "\n"
                "The manual page %s(1) tells more.\n",
                exe.c_str(), exe.c_str(), exe.c_str(), static_cast<const char*>(title),
                exe.c_str());
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strcmp(argument, "--version") == 0) {
            std::printf("%s %s\n", exe.c_str(), FileVersion().c_str());
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strncmp(argument, "--", 2) == 0) {
            std::fprintf(stderr, "%s: unknown option '%s'\nTry '%s --help'.\n", exe.c_str(),
                         argument, exe.c_str());
            return 2;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = HandleInformationOptions(argc, argv); status >= 0) {
        return status;
    }
    QApplication application(argc, argv);
    AfxWinInit();
    glue::UseResourceLanguage();
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->SetCommandLine(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app->m_strAppName.str()));
    QApplication::setApplicationVersion(QString::fromStdString(FileVersion()));
    if (!app->InitInstance()) {
        app->ExitInstance();
        return 0;
    }
    return app->Run();
}

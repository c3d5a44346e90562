#include "drive_paths.h"

#include <dirent.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "win_error.h"

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? std::string(value) : fallback;
}

// mkdir -p; returns 0 or an errno value.
int MakeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') {
            continue;
        }
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return errno;
    }
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

std::vector<std::string> SplitComponents(const char* path) {
    std::vector<std::string> components;
    std::string current;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') {
            components.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    components.push_back(current);
    return components;
}

// The existing entry of folder that matches name regardless of case; name itself if none.
std::string FindEntry(const std::string& folder, const std::string& name) {
    struct stat st {};
    if (lstat((folder + "/" + name).c_str(), &st) == 0) {
        return name;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return name;
    }
    std::string found = name;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Never a shared folder such as /tmp, where another user could plant the capture file.
std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

std::string GetPrefixFolder() {
    const std::string dataHome = EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share");
    return EnvOr("VANDREL_PREFIX", dataHome + "/vandrel");
}

bool IsPrefixFolderForeign() {
    struct stat st {};
    return stat(GetPrefixFolder().c_str(), &st) == 0 && st.st_uid != geteuid();
}

DWORD MapDrivePath(LPCSTR lpPath, std::string& hostPath) {
    if (lpPath == nullptr || !std::isalpha(static_cast<unsigned char>(lpPath[0])) ||
        lpPath[1] != ':') {
        return ERROR_PATH_NOT_FOUND;
    }
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(lpPath[0])));
    if (IsPrefixFolderForeign()) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string driveRoot = GetPrefixFolder() + "/drives/" + drive;
    if (const int err = MakeFolders(driveRoot); err != 0) {
        return WinErrorFromErrno(err);
    }
    std::vector<std::string> stack;
    for (const std::string& component : SplitComponents(lpPath + 2)) {
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            if (!stack.empty()) {
                stack.pop_back();
            }
            continue;
        }
        std::string folder = driveRoot;
        for (const std::string& s : stack) {
            folder += "/" + s;
        }
        stack.push_back(FindEntry(folder, component));
    }
    hostPath = driveRoot;
    for (const std::string& s : stack) {
        hostPath += "/" + s;
    }
    return ERROR_SUCCESS;
}

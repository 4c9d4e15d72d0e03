#include "scene/presets.h"

#ifndef RIPPLEMOOR_SCENES_FOLDER
#include <dlfcn.h>
#include <link.h>
#endif
#include <sys/stat.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "scene/scene.h"

// A build with no program file to start from (WebAssembly) names its one folder
// in RIPPLEMOOR_SCENES_FOLDER instead.
#ifndef RIPPLEMOOR_SCENES_FOLDER
#ifndef RIPPLEMOOR_SCENES_FROM_BIN
#error "RIPPLEMOOR_SCENES_FROM_BIN must give the scenes folder relative to the programs' folder"
#endif
#ifndef RIPPLEMOOR_SCENES_FROM_LIBEXEC
#error "RIPPLEMOOR_SCENES_FROM_LIBEXEC must give the scenes folder relative to the window program's folder"
#endif
#endif

namespace {

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

#ifndef RIPPLEMOOR_SCENES_FOLDER
std::string realPath(const char* path)
{
    char resolved[PATH_MAX];
    return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string();
}

// The folder of the file that holds this code: the program, or the Python
// module that links the library.
std::string codeFolder()
{
    Dl_info info;
    link_map* map = nullptr;
    std::string file;
    if (dladdr1(reinterpret_cast<void*>(&codeFolder), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0 &&
        map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0')
        file = realPath(map->l_name);
    else
        file = realPath("/proc/self/exe"); // the main program, whose map has no name
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

#endif

} // namespace

std::vector<std::string> presetFolders()
{
    std::vector<std::string> candidates;
    if (const char* chosen = std::getenv("RIPPLEMOOR_SCENES"); chosen != nullptr && chosen[0] != '\0')
        candidates.push_back(chosen);
#ifdef RIPPLEMOOR_SCENES_FOLDER
    candidates.push_back(RIPPLEMOOR_SCENES_FOLDER);
#else
    const std::string here = codeFolder();
    const auto relative = [&](const std::string& path) { return path[0] == '/' ? path : here + "/" + path; };
    if (!here.empty()) {
        // The build tree's programs and both Python packages keep a copy beside them.
        candidates.push_back(here + "/scenes");
        candidates.push_back(relative(RIPPLEMOOR_SCENES_FROM_BIN));
        candidates.push_back(relative(RIPPLEMOOR_SCENES_FROM_LIBEXEC));
    }
#endif
    std::vector<std::string> folders;
    for (const std::string& folder : candidates)
        if (isFolder(folder) && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    return folders;
}

bool canNamePreset(const std::string& text)
{
    const std::string suffix = ".toml";
    return !text.empty() && text.find('/') == std::string::npos &&
           !(text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0);
}

std::string findPreset(const std::string& name)
{
    if (!canNamePreset(name))
        return std::string();
    for (const std::string& folder : presetFolders()) {
        const std::string path = folder + "/" + name + ".toml";
        if (isFile(path))
            return path;
    }
    return std::string();
}

std::vector<std::string> presetNames()
{
    std::vector<std::string> names;
    for (const std::string& folder : presetFolders()) {
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr)
            continue;
        while (const dirent* entry = readdir(dir)) {
            const std::string file = entry->d_name;
            const std::string suffix = ".toml";
            if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string name = file.substr(0, file.size() - suffix.size());
            if (canNamePreset(name) && std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

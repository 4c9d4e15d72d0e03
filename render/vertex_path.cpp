#include "render/vertex_path.h"

#include <hwy/targets.h>

#include <algorithm>

namespace {

struct Choice {
    std::string name;
    int64_t target = 0; // 0 for the portable pass
};

const std::vector<Choice>& choices()
{
    static const std::vector<Choice> all = [] {
        std::vector<Choice> list;
        for (int64_t target : hwy::SupportedAndGeneratedTargets())
            list.push_back({hwy::TargetName(target), target});
        // Highway's scalar target is an emulation, slower than the plain loops.
        const bool scalarBest = list.empty() || list.front().target == HWY_SCALAR;
        list.insert(scalarBest ? list.begin() : list.end(), Choice{PORTABLE_VERTEX_PATH, 0});
        return list;
    }();
    return all;
}

// Taken before main, so that a test's narrowing of Highway's supported targets
// (the solver's choice) cannot hide targets from this list.
const bool choicesTaken = !choices().empty();

const Choice*& active()
{
    static const Choice* current = &choices().front();
    return current;
}

} // namespace

const std::vector<std::string>& vertexPathNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Choice& c : choices())
            list.push_back(c.name);
        return list;
    }();
    return names;
}

bool useVertexPath(const std::string& name)
{
    (void)choicesTaken;
    const auto& all = choices();
    const auto found = std::find_if(all.begin(), all.end(), [&](const Choice& c) { return c.name == name; });
    if (found == all.end())
        return false;
    active() = &*found;
    return true;
}

void useDefaultVertexPath() { active() = &choices().front(); }

const std::string& activeVertexPathName() { return active()->name; }

int64_t activeVertexTarget() { return active()->target; }

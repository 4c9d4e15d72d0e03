#include "render/vertex_path.h"

namespace {

const KernelTarget*& active()
{
    static const KernelTarget* current = &kernelTargets().front();
    return current;
}

} // namespace

const std::vector<std::string>& vertexPathNames() { return kernelTargetNames(); }

bool useVertexPath(const std::string& name)
{
    const KernelTarget* found = findKernelTarget(name);
    if (found == nullptr)
        return false;
    active() = found;
    return true;
}

void useDefaultVertexPath() { active() = &kernelTargets().front(); }

const std::string& activeVertexPathName() { return active()->name; }

int64_t activeVertexTarget() { return active()->target; }

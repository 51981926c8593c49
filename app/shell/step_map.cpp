#include "app/shell/step_map.h"

void StepMap::Register(const std::wstring& name, const Step& step)
{
    if (name.empty())
        return;
    steps.insert(std::make_pair(name, step));
    if (current.empty())
        SetCurrent(name);
}

void StepMap::SetCurrent(const std::wstring& name)
{
    if (steps.count(name))
        current = name;
}

std::wstring StepMap::First() const
{
    return steps.empty() ? std::wstring() : steps.begin()->first;
}

const StepMap::Step* StepMap::TakeCurrent()
{
    auto found = steps.find(current);
    if (found == steps.end())
        return nullptr;
    auto next = std::next(found);
    current = next == steps.end() ? std::wstring() : next->first;
    return &found->second;
}

// The named steps of an exercise, kept in the order of their names, and the
// name of the step that runs next.
#pragma once

#include "framework/controls/IMDialogBase.h"

#include <boost/function.hpp>

#include <map>
#include <string>

class StepMap {
public:
    typedef boost::function<void(IMDialogBase<IMEmptyView>*)> Step;

    // An empty name is ignored; a name already held keeps its first step.
    // The first step registered becomes the current one.
    void Register(const std::wstring& name, const Step& step);
    // Makes a held step the current one; any other name changes nothing.
    void SetCurrent(const std::wstring& name);
    // The current step's name; "" when none is left.
    const std::wstring& Current() const { return current; }
    // The first name in name order, or "" without steps.
    std::wstring First() const;
    // The step of the current name (null when the map lacks it) and the
    // current name moved on to the next name, or "" after the last.
    const Step* TakeCurrent();

private:
    std::map<std::wstring, Step> steps;
    std::wstring current;
};

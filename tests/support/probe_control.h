// Leaf controls for tests: a rectangle that hit-tests like an empty view,
// records each draw (with the viewport and origin the renderer had at that
// moment) and reports its destruction into a shared log.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/render/IMResourceManager.h"
#include "framework/views/IMView.h"

#include <string>
#include <vector>

namespace testing_support {

struct DrawRecord {
    std::string name;
    D3DVIEWPORT9 viewport;
    int originX;
    int originY;
};

struct ProbeLog {
    std::vector<std::string> events; // "destroyed <name>", "draw <name>", ...
    std::vector<DrawRecord> draws;
};

class ProbeView : public IMView {
public:
    long Draw() override
    {
        if (log) {
            DrawRecord record{name, D3DVIEWPORT9{0, 0, 0, 0, 0.0f, 0.0f}, 0, 0};
            if (IMResourceManager* manager = IMResourceManager::Instance()) {
                if (manager->Device())
                    manager->Device()->GetViewport(&record.viewport);
                record.originX = manager->originX;
                record.originY = manager->originY;
            }
            log->draws.push_back(record);
            log->events.push_back("draw " + name);
        }
        dirty = false;
        return 0;
    }

    std::string name;
    ProbeLog* log = nullptr;
};

class Probe : public IMViewControl<ProbeView> {
public:
    Probe(IMDialogBase<IMEmptyView>* parent, const RECT& r, int depth, const std::string& probeName,
          ProbeLog* probeLog)
        : IMViewControl<ProbeView>(parent, depth)
    {
        name = probeName;
        log = probeLog;
        SetRect(r);
    }

    ~Probe() override
    {
        if (log)
            log->events.push_back("destroyed " + name);
    }

    long OnClose(const IMEvent& e) override
    {
        if (log)
            log->events.push_back("close " + name);
        return IMViewControl<ProbeView>::OnClose(e);
    }
};

// A container that reports its destruction into a log.
class ProbeContainer : public IMDialogBase<IMEmptyView> {
public:
    ProbeContainer(IMDialogBase<IMEmptyView>* parent, const RECT* r, int depth,
                   const std::string& probeName, ProbeLog* probeLog)
        : IMDialogBase<IMEmptyView>(parent, r, depth),
          name(probeName),
          log(probeLog)
    {}

    ~ProbeContainer() override
    {
        if (log)
            log->events.push_back("destroyed " + name);
    }

    long OnClose(const IMEvent& e) override
    {
        if (log)
            log->events.push_back("close " + name);
        return IMDialogBase<IMEmptyView>::OnClose(e);
    }

    std::string name;
    ProbeLog* log;
};

// Merges the pending children of a container (and of its children).
inline void Merge(IMDialogBase<IMEmptyView>& container)
{
    container.OnUpdate(IMEvent(&container, 16));
}

} // namespace testing_support

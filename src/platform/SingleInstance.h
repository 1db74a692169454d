#pragma once
// One running instance per user. The running instance hears an activation
// request when another start hands over to it.
#include <functional>

class ISingleInstance {
public:
    virtual ~ISingleInstance() = default;
    // True when this process is now the one instance. False: another one
    // runs and has been asked to come forward.
    virtual bool AcquireOrActivate() = 0;
    // UI thread: called for every activation request that arrives.
    virtual void OnActivation(std::function<void()> handler) = 0;
};

// A deferred action with one operation. Game widgets hold one to run when the
// pointer enters them and one for when it leaves (for example the debriefing's
// award icons, which write an award's description into two labels).
#pragma once

class KpTask
{
public:
    virtual void Run() = 0;

protected:
    // Tasks are owned by whoever made them, never deleted through the interface.
    ~KpTask() = default;
};

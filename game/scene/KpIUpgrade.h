// What an upgrade skin reaches a scene object through: the object is told the
// group an upgrade changes ("tables") and the skin of that group now ("marble",
// or empty for its own look), and takes it when it belongs to the group.
#pragma once

#include <string>

class KpIUpgrade
{
public:
    // True when the object belongs to the group and now shows the skin.
    virtual bool ApplyUpgradeSkin(const std::string& group, const std::string& skin) = 0;

protected:
    ~KpIUpgrade() = default;
};

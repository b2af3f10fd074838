#include "controlstates.h"

namespace quorlex
{

ControlStates::ControlStates()
{
    m_states.reserve(formControls().size());
    for (const ControlSpec &spec : formControls())
        m_states.push_back({spec.caption, spec.state, true, spec.enabled});
}

bool ControlStates::shownWithFrames(int id) const
{
    for (int up = id; up != ctl::kForm; up = formControls()[up].container) {
        if (!m_states[size_t(up)].shown)
            return false;
    }
    return true;
}

bool ControlStates::enabledWithFrames(int id) const
{
    for (int up = id; up != ctl::kForm; up = formControls()[up].container) {
        if (!m_states[size_t(up)].enabled)
            return false;
    }
    return true;
}

} // namespace quorlex

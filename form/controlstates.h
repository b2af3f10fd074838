#pragma once

// What a face keeps of each control besides its widget or window. A control gets one only once it
// can be seen; until then its values live here alone, and the rows that the load step hides
// before the window is first shown never get one.

#include "controltable.h"

#include <vector>

namespace quorlex
{

class ControlStates
{
public:
    struct State {
        Text text;     // caption, or the text of a text box
        int state = 0; // check box: 0, 1 or 2; option button: 1 when selected
        bool shown = true;
        bool enabled = true;
    };

    ControlStates(); // every control as the table creates it

    State &operator[](int id) { return m_states[size_t(id)]; }
    const State &operator[](int id) const { return m_states[size_t(id)]; }

    // Whether the control is shown, or enabled, together with every frame around it.
    bool shownWithFrames(int id) const;
    bool enabledWithFrames(int id) const;

private:
    std::vector<State> m_states; // by id
};

} // namespace quorlex

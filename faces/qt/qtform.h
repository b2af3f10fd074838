#pragma once

// The setup window drawn with Qt Widgets: one widget per control of the table, their values
// handed to and from Form1, and Qt's message box.

#include "controlstates.h"
#include "face.h"
#include "form1.h"

#include <QWidget>

#include <vector>

namespace quorlex
{

class QtForm : public QWidget, public Face
{
    Q_OBJECT

public:
    explicit QtForm(QWidget *parent = nullptr);

    // Form1's load step, then a widget for every control that can be seen.
    void load();

    // Tries the program's folder for a new file and says so when it takes none.
    void checkFolder() { m_form.checkFolder(); }

    // Where "Create Config File" writes: the program's own folder unless a test moves it.
    void setOutputFolder(const Text &folder) { m_form.setOutputFolder(folder); }

    QUORLEX_FACE_OVERRIDES

private:
    void createWidget(int id);

    ControlStates m_states;
    std::vector<QWidget *> m_controls; // by id; null until the control can be seen
    Form1 m_form;
};

} // namespace quorlex

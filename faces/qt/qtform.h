#pragma once

// The setup window drawn with Qt Widgets: one widget per control of the table, their values
// handed to and from Form1, and Qt's message box.

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

    // Form1's load step, and the command names given to screen readers.
    void load();

    // Where "Create Config File" writes: the program's own folder unless a test moves it.
    void setOutputFolder(const Text &folder) { m_form.setOutputFolder(folder); }

    QUORLEX_FACE_OVERRIDES

private:
    std::vector<QWidget *> m_controls; // by id
    Form1 m_form;
};

} // namespace quorlex

#pragma once

#include <QRadioButton>

namespace quorlex
{

// A caption-less option button that draws through the style like any QRadioButton, but copies
// the finished pixels of an earlier button in the same state over the same background. The
// window shows some 170 of these at once, nearly all alike, and the style's antialiased circles
// cost far more than copying a few hundred pixels.
//
// Deliberately without Q_OBJECT: the button is a QRadioButton to every introspection (class
// name, accessibility, style sheets) and only its painting differs.
class LevelButton : public QRadioButton
{
public:
    explicit LevelButton(QWidget *parent = nullptr) : QRadioButton(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace quorlex

#pragma once

#include <QGroupBox>

namespace quorlex
{

// A frame without a title that draws through the style like any QGroupBox, but copies the
// finished pixels of an earlier frame of the same size and state over the same background. The
// command grid shows 42 such frames, all alike, and each costs the style nine scaled picture
// blits.
//
// Deliberately without Q_OBJECT: the frame is a QGroupBox to every introspection (class name,
// accessibility, style sheets) and only its painting differs.
class RowFrame : public QGroupBox
{
public:
    explicit RowFrame(QWidget *parent = nullptr) : QGroupBox(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace quorlex

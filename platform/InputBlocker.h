#pragma once

#include <QObject>

namespace platform {

// While alive, swallows every user-input event of the application (mouse,
// keyboard, wheel, touch, tablet, shortcuts, context menus and close
// requests). Paint, timer and other events go on as usual.
class InputBlocker : public QObject
{
public:
    InputBlocker();
    ~InputBlocker() override;

    static bool isUserInput(int eventType);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace platform

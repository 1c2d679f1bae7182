#pragma once
// Keeps the user's hands off a window while a run works on its thread: input
// aimed at the window (mouse, keys, wheel, touch, drag and drop, closing it)
// is thrown away, not saved for later, while every other event (painting,
// the platform's liveness checks, other windows such as a message box) goes
// on as usual.

#include <QObject>

class QWidget;

namespace tovrel {

class RunInputBlock : public QObject {
  public:
    explicit RunInputBlock(QWidget* window);
    // Discards what input is still queued, then lets input through again.
    ~RunInputBlock() override;
    RunInputBlock(const RunInputBlock&) = delete;
    RunInputBlock& operator=(const RunInputBlock&) = delete;

    // Handles the events that are waiting (repaints above all), input
    // for the window excepted.
    static void keepAlive();

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    QWidget* window_;
};

} // namespace tovrel

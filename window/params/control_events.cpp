#include "params/control_events.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <vector>

namespace tovrel {

namespace {

// Watches the box, its edit field and its popup list for the input events a
// pick can come from. Each such event starts afresh: whether the edit text has
// changed is known per event, when the item is activated at its end.
class PickWatch : public QObject {
  public:
    PickWatch(QComboBox* box, std::function<void()> change, std::function<void()> click)
        : QObject(box), box_(box), change_(std::move(change)), click_(std::move(click)) {
        // view() creates the popup, which installs its own filters; filters
        // installed later run first, so every event is seen before a pick.
        std::vector<QObject*> watched{box, box->view(), box->view()->viewport()};
        if (box->lineEdit() != nullptr) {
            watched.push_back(box->lineEdit());
        }
        for (QObject* object : watched) {
            object->installEventFilter(this);
        }
        connect(box, &QComboBox::editTextChanged, this, &PickWatch::textChanged,
                Qt::DirectConnection);
        connect(box, &QComboBox::activated, this, &PickWatch::activated, Qt::DirectConnection);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::InputMethod:
        case QEvent::FocusOut:
            changedInEvent_ = false;
            typingEnds_ = endsTyping(watched, event);
            break;
        default:
            break;
        }
        return false;
    }

  private:
    // Return in the box's edit field, or the box losing the focus.
    bool endsTyping(QObject* watched, QEvent* event) const {
        if (watched != box_ && watched != box_->lineEdit()) {
            return false;
        }
        if (event->type() == QEvent::FocusOut) {
            return true;
        }
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }

    void textChanged() {
        changedInEvent_ = true;
        change_();
    }

    void activated() {
        if (!changedInEvent_ && !typingEnds_) {
            click_();
        }
    }

    QComboBox* box_;
    std::function<void()> change_;
    std::function<void()> click_;
    bool changedInEvent_ = false;
    bool typingEnds_ = false;
};

} // namespace

void connectChangeAndClick(QComboBox* box, std::function<void()> change,
                           std::function<void()> click) {
    new PickWatch(box, std::move(change), std::move(click));
}

void connectChosen(QRadioButton* option, std::function<void()> chosen) {
    QObject::connect(
        option, &QRadioButton::toggled, option,
        [chosen = std::move(chosen)](bool isChosen) {
            if (isChosen) {
                chosen();
            }
        },
        Qt::DirectConnection);
}

} // namespace tovrel

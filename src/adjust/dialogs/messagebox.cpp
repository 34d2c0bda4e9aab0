#include "messagebox.h"

#include <QQueue>

namespace
{
struct Answer {
    QMessageBox::StandardButton button;
    std::function<void()> then;
};

struct Answers {
    QQueue<Answer> next;
    QMessageBox::StandardButton standing = QMessageBox::NoButton;
    std::function<void(const MessageBox::Shown &)> standingThen;
    QList<MessageBox::Shown> history;
};

Answers &answers()
{
    static Answers instance;
    return instance;
}

QMessageBox::Icon qtIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Information:
        return QMessageBox::Information;
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Error:
        return QMessageBox::Critical;
    case MessageBox::Question:
        return QMessageBox::Question;
    case MessageBox::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QMessageBox::StandardButton MessageBox::Show(QWidget *owner, Icon icon, const QString &caption,
                                             const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    Answers &state = answers();
    state.history.append({caption, text, icon});
    if (!state.next.isEmpty()) {
        const Answer answer = state.next.dequeue();
        if (answer.then)
            answer.then();
        return answer.button;
    }
    if (state.standing != QMessageBox::NoButton) {
        if (state.standingThen)
            state.standingThen(state.history.last());
        return state.standing;
    }

    QMessageBox box(qtIcon(icon), caption, text, buttons, owner);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::SetNextAnswer(QMessageBox::StandardButton answer)
{
    answers().next.enqueue({answer, {}});
}

void MessageBox::SetNextAnswer(QMessageBox::StandardButton answer, std::function<void()> then)
{
    answers().next.enqueue({answer, std::move(then)});
}

void MessageBox::SetStandingAnswer(QMessageBox::StandardButton answer)
{
    SetStandingAnswer(answer, {});
}

void MessageBox::SetStandingAnswer(QMessageBox::StandardButton answer,
                                   std::function<void(const Shown &)> then)
{
    answers().standing = answer;
    answers().standingThen = std::move(then);
}

const QList<MessageBox::Shown> &MessageBox::History()
{
    return answers().history;
}

void MessageBox::ClearHistory()
{
    answers().history.clear();
}

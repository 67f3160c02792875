#pragma once

#include "platform/MessageBoxes.h"

#include <QList>

#include <functional>
#include <utility>

namespace platform {

// Test double: records every box shown and answers from a script.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString prompt;
        int style = 0;
        QString title;
        bool operator==(const Shown &) const = default;
    };

    int MsgBox(const QString &prompt, int style, const QString &title) override
    {
        m_shown.append({prompt, style, title});
        if (onShow)
            onShow(m_shown.last());
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return (style & 0x0f) == 4 ? MsgBoxAnswer::No : MsgBoxAnswer::Ok;
    }

    int MsgBoxWithDetails(const QString &prompt,
                          int style,
                          const QString &title,
                          const QString &details) override
    {
        m_details.append({m_shown.size(), details});
        return MsgBox(prompt, style, title);
    }

    // Answers for the next questions, in order; unanswered questions get No.
    void scriptAnswers(const QList<int> &answers) { m_answers = answers; }
    const QList<Shown> &shown() const { return m_shown; }
    // The details of the box shown at that position; empty for a box without.
    QString detailsOf(qsizetype position) const
    {
        for (const auto &[at, details] : m_details)
            if (at == position)
                return details;
        return {};
    }
    void clear()
    {
        m_shown.clear();
        m_details.clear();
    }

    // Runs while a box is up, to look at the program at that moment.
    std::function<void(const Shown &)> onShow;

private:
    QList<Shown> m_shown;
    QList<std::pair<qsizetype, QString>> m_details;
    QList<int> m_answers;
};

} // namespace platform

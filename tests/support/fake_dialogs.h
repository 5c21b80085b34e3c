#pragma once
// The dialogs every window test answers without a person: folder picker and
// colour dialog answered from queues, message boxes recorded. Installed for
// as long as the object lives.
#include "platform/ui/dialogs.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace tess::testing {

class FakeDialogs final : public Dialogs {
public:
    FakeDialogs() { setDialogsForTesting(this); }
    ~FakeDialogs() override { setDialogsForTesting(nullptr); }
    FakeDialogs(const FakeDialogs &) = delete;
    FakeDialogs &operator=(const FakeDialogs &) = delete;

    // First in, first answered; nullopt, a null text or none left: the user cancels.
    std::deque<std::optional<QString>> folderAnswers;
    // First in, first answered; -1 or none left: the user cancels.
    std::deque<std::int32_t> colourAnswers;

    QStringList folderTitles;
    std::vector<QWidget *> folderOwners;
    std::vector<std::int32_t> colourInitials;
    std::vector<QWidget *> colourOwners;
    QStringList messages;

    // Forgets every answer and everything asked.
    void reset()
    {
        folderAnswers.clear();
        colourAnswers.clear();
        folderTitles.clear();
        folderOwners.clear();
        colourInitials.clear();
        colourOwners.clear();
        messages.clear();
    }

    std::optional<QString> pickFolder(QWidget *owner, const QString &title) override
    {
        folderOwners.push_back(owner);
        folderTitles.append(title);
        if (folderAnswers.empty())
            return std::nullopt;
        const std::optional<QString> answer = folderAnswers.front();
        folderAnswers.pop_front();
        if (answer && answer->isNull())
            return std::nullopt;
        return answer;
    }
    std::int32_t pickColour(QWidget *owner, std::int32_t initial) override
    {
        colourOwners.push_back(owner);
        colourInitials.push_back(initial);
        if (colourAnswers.empty())
            return -1;
        const std::int32_t answer = colourAnswers.front();
        colourAnswers.pop_front();
        return answer;
    }
    void message(QWidget *, const QString &text, const QString &) override { messages.append(text); }
};

} // namespace tess::testing

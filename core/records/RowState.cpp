#include "core/records/RowState.h"

using namespace Qt::StringLiterals;

namespace {

constexpr RowState kStates[] = {RowState::Waiting,    RowState::Skipped, RowState::Cleaning,
                                RowState::Cancelling, RowState::Cleaned, RowState::NotCleaned};

bool carriesProgress(RowState state)
{
    return state == RowState::Cleaning || state == RowState::Cancelling;
}

} // namespace

QString rowStateText(RowState state, std::optional<int> percent)
{
    QString text;
    switch (state) {
    case RowState::Waiting:
        text = u"- Waiting"_s;
        break;
    case RowState::Skipped:
        text = u"- Skipped"_s;
        break;
    case RowState::Cleaning:
        text = u"- Cleaning"_s;
        break;
    case RowState::Cancelling:
        text = u"- Cancelling"_s;
        break;
    case RowState::Cleaned:
        text = u"- Cleaned"_s;
        break;
    case RowState::NotCleaned:
        text = u"- Could not clean"_s;
        break;
    }
    if (percent && carriesProgress(state))
        text += u" (%1%)"_s.arg(*percent);
    return text;
}

std::optional<RowState> rowStateOfText(const QString &text)
{
    for (RowState state : kStates) {
        const QString label = rowStateText(state);
        if (carriesProgress(state) ? text.startsWith(label) : text == label)
            return state;
    }
    return std::nullopt;
}

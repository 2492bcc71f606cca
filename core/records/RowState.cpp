#include "core/records/RowState.h"

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
        text = QStringLiteral("- Waiting");
        break;
    case RowState::Skipped:
        text = QStringLiteral("- Skipped");
        break;
    case RowState::Cleaning:
        text = QStringLiteral("- Cleaning");
        break;
    case RowState::Cancelling:
        text = QStringLiteral("- Cancelling");
        break;
    case RowState::Cleaned:
        text = QStringLiteral("- Cleaned");
        break;
    case RowState::NotCleaned:
        text = QStringLiteral("- Could not clean");
        break;
    }
    if (percent && carriesProgress(state))
        text += QStringLiteral(" (%1%)").arg(*percent);
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

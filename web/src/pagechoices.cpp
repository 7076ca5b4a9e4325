#include "pagechoices.h"

#include "core/analysis/choicetable.h"

#include <algorithm>

namespace tunedeck::web {

namespace {

// The values a row takes from the page: a range, or its words' values.
std::pair<int, int> pageRange(const ChoiceRow &row)
{
    if (row.words.empty())
        return {int(row.low), int(row.high)};
    const auto [least, most] = std::minmax_element(row.words.begin(), row.words.end(),
                                                   [](const ChoiceWord &a, const ChoiceWord &b) { return a.value < b.value; });
    return {least->value, most->value};
}

ChoiceValue pageValue(const ChoiceRow &row, const val &v)
{
    switch (row.kind) {
    case ChoiceKind::Track: return v.isNumber() ? ChoiceValue(v.as<int>()) : AllTracks;
    case ChoiceKind::Switch: return v.as<bool>();
    case ChoiceKind::Channels: return std::uint16_t(v.as<int>());
    case ChoiceKind::Real: return std::clamp(v.as<double>(), row.low, row.high);
    case ChoiceKind::Words:
    case ChoiceKind::Whole: break;
    }
    const auto [low, high] = pageRange(row);
    return std::clamp(v.as<int>(), low, high);
}

val pageSpelling(const ChoiceRow &row, ChoiceValue value)
{
    if (row.kind == ChoiceKind::Track && value == AllTracks)
        return val("all");
    if (row.kind == ChoiceKind::Switch)
        return val(value != 0);
    return val(value);
}

} // namespace

AnalysisChoices pageChoices(const val &choices)
{
    AnalysisChoices out;
    for (const ChoiceRow &row : choiceTable()) {
        const val v = row.page.empty() ? val::undefined() : choices[row.page];
        if (!v.isUndefined() && !v.isNull())
            row.set(out, pageValue(row, v));
    }
    return out;
}

val pageChoiceFields()
{
    val fields = val::object();
    for (const ChoiceRow &row : choiceTable()) {
        if (row.page.empty())
            continue;
        val field = val::object();
        field.set("default", pageSpelling(row, row.defaultValue()));
        if (row.kind != ChoiceKind::Switch) {
            const auto [low, high] = pageRange(row);
            field.set("low", low);
            field.set("high", high);
        }
        fields.set(row.page, field);
    }
    return fields;
}

} // namespace tunedeck::web

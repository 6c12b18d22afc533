// Names, labels and choice texts of the twenty parameters, as the host shows
// them. Names carry one trailing blank; "    " is four blanks. Constant
// tables only: every function here may be called from any thread.
#pragma once

#include <cstdint>

#include "common/parameter_index.h"

namespace tavolu {

// The longest text the plug-in writes into a host's parameter buffer,
// terminator included ("LFO Freq Source ").
constexpr int kParameterTextSize = 17;  // bytes

// Name and label of a parameter; the label of an unknown index is blank.
const char* parameterName(int32_t index);  // null for an unknown index
const char* parameterLabel(int32_t index);

// A choice list: its texts, and k in choice = trunc(k x value).
struct ChoiceList {
    const char* const* texts;
    int8_t count;
    int8_t scale;
};
// The list of a choice parameter, or null.
const ChoiceList* choiceList(int32_t index);
// The text of choice `choice`, or null when the number lies outside the list.
const char* choiceText(const ChoiceList& list, int8_t choice);
// trunc(k x value) in double precision, saturating for huge values.
int8_t choiceNumber(const ChoiceList& list, float value);

}  // namespace tavolu

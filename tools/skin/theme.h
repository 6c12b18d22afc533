// The skin's palette and type: a calm slate surface, one blue accent.
#pragma once

#include "canvas.h"
#include "text.h"

namespace tavolu::skin::theme {

// Window surface, lighter at the top.
inline const Colour surfaceTop = rgb(47, 51, 59);
inline const Colour surfaceBottom = rgb(31, 34, 40);

// Recessed wells: slider grooves, switches, the meters' slots.
inline const Colour well = rgb(21, 23, 27);
inline const Colour wellEdge = rgb(11, 12, 15);  // the shadowed rim
inline const Colour wellLip = rgb(64, 69, 79);   // the lit lower rim
inline const Colour divider = rgb(38, 41, 48);   // between switch rows

// Raised parts: buttons and handles.
inline const Colour raisedTop = rgb(70, 75, 86);
inline const Colour raisedBottom = rgb(50, 54, 63);
inline const Colour raisedEdge = rgb(15, 16, 19);
inline const Colour raisedShine = rgb(96, 102, 114);

inline const Colour handleTop = rgb(226, 229, 234);
inline const Colour handleBottom = rgb(158, 164, 173);

inline const Colour accent = rgb(78, 166, 238);
inline const Colour accentBright = rgb(138, 200, 252);
inline const Colour accentDeep = rgb(42, 110, 176);
inline const Colour onAccent = rgb(10, 22, 36);  // text on an accent fill

inline const Colour text = rgb(206, 211, 219);
inline const Colour textDim = rgb(128, 135, 147);
inline const Colour tick = rgb(86, 92, 104);

// The curve view's own colours, for its legend and the preview.
inline const Colour sweepRed = rgb(255, 51, 51);
inline const Colour flipAmber = rgb(212, 161, 0);
inline const Colour playedGreen = rgb(0, 255, 0);

}  // namespace tavolu::skin::theme

namespace tavolu::skin {

// The faces the generator sets its text in.
struct Fonts {
    FontFile regular;
    FontFile bold;
    FontFile narrow;
    FontFile narrowBold;

    TextStyle label() const { return {&regular, 9, theme::text}; }
    TextStyle heading() const { return {&bold, 9, theme::accent, 1}; }
    TextStyle small() const { return {&narrow, 9, theme::textDim}; }
    TextStyle control() const { return {&narrow, 9, theme::text}; }
    TextStyle controlOff() const { return {&narrow, 9, mix(theme::textDim, theme::text, 0.35f)}; }
    TextStyle controlOn() const { return {&narrowBold, 9, theme::onAccent}; }
};

}  // namespace tavolu::skin

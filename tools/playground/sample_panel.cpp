#include "sample_panel.h"

#include <cstdio>

#include "toolkit/bitmap.h"

namespace tavolu::sample {

namespace {

// Images are built as BMP files in memory, the same road the skin takes.
std::vector<uint8_t> bmpOf(int32_t width, int32_t height,
                           uint32_t (*pixel)(int32_t, int32_t, int32_t, int32_t)) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> b(54 + stride * size_t(height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = 24;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = b.data() + 54 + stride * size_t(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y, width, height);
            row[x * 3] = uint8_t(p);
            row[x * 3 + 1] = uint8_t(p >> 8);
            row[x * 3 + 2] = uint8_t(p >> 16);
        }
    }
    return b;
}

CBitmap* image(int32_t w, int32_t h, uint32_t (*pixel)(int32_t, int32_t, int32_t, int32_t)) {
    return new CBitmap(bmpOf(w, h, pixel));
}

uint32_t background(int32_t x, int32_t y, int32_t, int32_t) {
    const uint32_t shade = uint32_t(40 + (y * 40) / 360);
    const bool grid = (x % 15 == 0) || (y % 15 == 0);
    return grid ? (shade + 12) * 0x010101 : shade * 0x010101 + 8;
}

// A groove along the middle; the rest is the colour key.
uint32_t verticalTrack(int32_t x, int32_t, int32_t w, int32_t) {
    return (x >= w / 2 - 2 && x <= w / 2 + 2) ? 0x101418 : kColorKeyPixel;
}
uint32_t horizontalTrack(int32_t, int32_t y, int32_t, int32_t h) {
    return (y >= h / 2 - 2 && y <= h / 2 + 2) ? 0x101418 : kColorKeyPixel;
}
// A disc with a light rim; the corners are the colour key.
uint32_t handle(int32_t x, int32_t y, int32_t w, int32_t h) {
    const int32_t dx = 2 * x + 1 - w, dy = 2 * y + 1 - h;
    const int32_t r2 = dx * dx + dy * dy, outer = w * w;
    if (r2 > outer) return kColorKeyPixel;
    return r2 > outer * 6 / 10 ? 0xE8E8E8 : 0xC04030;
}
// Three frames of 15 px: the selected third lit.
uint32_t threeWay(int32_t x, int32_t y, int32_t w, int32_t) {
    const int32_t frame = y / 15, third = x * 3 / w;
    if (y % 15 == 0 || y % 15 == 14 || x % (w / 3) == 0) return 0x202020;
    return third == frame ? 0x40C0F0 : 0x304050;
}
// Three frames of 45 px down a 40-px strip: the selected band lit.
uint32_t verticalThreeWay(int32_t x, int32_t y, int32_t, int32_t) {
    const int32_t frame = y / 45, band = (y % 45) / 15;
    if (x == 0 || x == 39 || (y % 15) == 0) return 0x202020;
    return band == frame ? 0xF0C040 : 0x504030;
}
// Off, then on.
uint32_t onOff(int32_t x, int32_t y, int32_t w, int32_t h) {
    const bool on = y >= h / 2;
    if (x == 0 || x == w - 1 || y % (h / 2) == 0) return 0x101010;
    return on ? 0x50E050 : 0x305030;
}
// Released, then pressed.
uint32_t kick(int32_t x, int32_t y, int32_t w, int32_t h) {
    const bool pressed = y >= h / 2;
    const int32_t fy = y % (h / 2);
    const int32_t dx = 2 * x + 1 - w, dy = 2 * fy + 1 - h / 2;
    if (dx * dx + dy * dy > w * w) return kColorKeyPixel;
    return pressed ? 0xF0F080 : 0x8080A0;
}
uint32_t ledsLit(int32_t, int32_t y, int32_t, int32_t h) {
    if (y % 7 == 6) return 0x000000;
    return y < h / 4 ? 0xFF3020 : 0x30FF30;
}
uint32_t ledsUnlit(int32_t, int32_t y, int32_t, int32_t) {
    return y % 7 == 6 ? 0 : 0x183018;
}
uint32_t displayBack(int32_t x, int32_t y, int32_t w, int32_t h) {
    return (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? 0x808080 : 0x102030;
}

void formatValue(float value, char* text) {
    std::snprintf(text, 32, "%.2f", double(value));
}

}  // namespace

Panel buildPanel(CFrame& frame, CControlListener* listener) {
    Panel panel;
    CBitmap* back = image(465, 360, background);
    CBitmap* vTrack = image(21, 121, verticalTrack);
    CBitmap* hTrack = image(121, 21, horizontalTrack);
    CBitmap* knob = image(21, 21, handle);
    CBitmap* smallTrack = image(11, 61, verticalTrack);
    CBitmap* smallKnob = image(11, 11, handle);
    CBitmap* strip3 = image(85, 45, threeWay);
    CBitmap* vStrip3 = image(40, 135, verticalThreeWay);
    CBitmap* button = image(40, 30, onOff);
    CBitmap* kicker = image(35, 70, kick);
    CBitmap* lit = image(8, 101, ledsLit);
    CBitmap* unlit = image(8, 101, ledsUnlit);
    CBitmap* readout = image(45, 19, displayBack);

    frame.setBackground(back);
    auto add = [&](CView* view) {
        frame.addView(view);
        ++panel.controlCount;
    };

    // Two horizontal sliders, value 0 at the left.
    panel.horizontalSlider =
        new CHorizontalSlider({20, 40, 141, 61}, listener, 1, 20, 120, knob, hTrack);
    add(panel.horizontalSlider);
    add(new CHorizontalSlider({20, 70, 141, 91}, listener, 5, 20, 120, knob, hTrack));

    // A row of ten vertical sliders, value 0 at the bottom.
    for (int32_t i = 0; i < 10; ++i) {
        const int32_t x = 160 + 28 * i;
        auto* slider = new CVerticalSlider({x, 20, x + 21, 141}, listener, i == 0 ? 2 : 10 + i, 20,
                                           120, knob, vTrack);
        slider->setValue(float(i) / 9.0f);
        if (i == 0) panel.verticalSlider = slider;
        add(slider);
    }
    // Eight small ones.
    for (int32_t i = 0; i < 8; ++i) {
        const int32_t x = 20 + 16 * i;
        auto* slider = new CVerticalSlider({x, 110, x + 11, 171}, listener, 40 + i, 110, 160,
                                           smallKnob, smallTrack);
        slider->setValue(float(i) / 7.0f);
        add(slider);
    }

    // Switches.
    panel.horizontalSwitch =
        new CHorizontalSwitch({160, 160, 245, 175}, listener, 3, 3, 15, strip3);
    add(panel.horizontalSwitch);
    for (int32_t i = 1; i < 4; ++i) {
        auto* sw = new CHorizontalSwitch({160, 160 + 20 * i, 245, 175 + 20 * i}, listener, 50 + i,
                                         3, 15, strip3);
        sw->setValue(0.5f * float(i - 1));
        add(sw);
    }
    for (int32_t i = 0; i < 3; ++i) {
        auto* sw = new CVerticalSwitch({260 + 45 * i, 160, 300 + 45 * i, 205}, listener, 60 + i, 3,
                                       45, vStrip3);
        sw->setValue(0.5f * float(i));
        add(sw);
    }

    // On/off buttons.
    panel.onOffButton = new COnOffButton({260, 220, 300, 235}, listener, 4, button);
    add(panel.onOffButton);
    for (int32_t i = 1; i < 4; ++i) {
        auto* b =
            new COnOffButton({260 + 42 * i, 220, 300 + 42 * i, 235}, listener, 70 + i, button);
        b->setValue(float(i % 2));
        add(b);
    }

    // Kick buttons along the bottom edge.
    for (int32_t n = 0; n < 8; ++n) {
        const int32_t x = 84 + 37 * n;
        auto* k = new CKickButton({x, 325, x + 35, 360}, listener, 28 + n, 35, kicker);
        if (n == 0) panel.kickButton = k;
        add(k);
    }

    // Meters and the value display.
    panel.meter = new CVuMeter({430, 180, 438, 281}, lit, unlit, 14);
    panel.meter->setDecreaseStepValue(0.1f);
    panel.meter->setValue(0.6f);
    add(panel.meter);
    auto* second = new CVuMeter({445, 180, 453, 281}, lit, unlit, 14);
    second->setValue(0.3f);
    add(second);

    panel.display = new CParamDisplay({20, 200, 65, 219}, readout, kShadowText);
    panel.display->setFontColor(kWhiteCColor);
    panel.display->setShadowColor(kBlackCColor);
    panel.display->setHoriAlign(kCenterText);
    panel.display->setStringConvert(formatValue);
    add(panel.display);

    // The controls hold their own references now.
    for (CBitmap* b : {back, vTrack, hTrack, knob, smallTrack, smallKnob, strip3, vStrip3, button,
                       kicker, lit, unlit, readout}) {
        b->forget();
    }
    return panel;
}

bool SampleEditor::open(void* parentWindow) {
    close();
    frame = new CFrame(kPanelRect, parentWindow);
    controls = buildPanel(*frame, this);
    return true;
}

void SampleEditor::close() {
    controls = {};
    delete frame;
    frame = nullptr;
}

void SampleEditor::idle() {
    if (frame) frame->idle();
}

void SampleEditor::valueChanged(CDrawContext*, CControl* control) {
    reports.push_back({control->getTag(), control->getValue()});
    if (control == controls.horizontalSlider) {
        controls.meter->setValue(control->getValue());
        controls.display->setValue(control->getValue());
    }
}

}  // namespace tavolu::sample

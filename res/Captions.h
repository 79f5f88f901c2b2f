// The captions drawn on the skinned buttons' pictures, by control id: the skin
// generator draws them, and a button that has no tool tip gives its caption to
// screen readers as its name.
#pragma once

#include "resource.h"

struct ButtonCaption {
    int controlId;
    const char* text;
};

inline constexpr ButtonCaption kButtonCaptions[] = {
    {IDC_MP3TOWAVE, "MP3 to Wave"},
    {IDC_WAVETOMP3, "Wave to MP3"},
    {IDC_CHECK_ALL, "All"},
    {IDC_UNCHECK_ALL, "None"},
    {IDC_REVERSE_CHECKS, "Invert"},
    {IDC_ADD_FILES, "Add"},
    {IDC_CLEAR_LIST, "Clear"},
    {IDC_START, "Start"},
    {IDC_OPTIONS, "Options"},
    {IDC_EXIT, "Exit"},
    {IDC_HELP, "Help"},
    {IDC_WEBSITE, "brindle.example.org"},
};

// The caption on control `controlId`'s pictures; empty where they show only a glyph.
constexpr const char* ButtonCaptionOf(int controlId) {
    for (const ButtonCaption& caption : kButtonCaptions)
        if (caption.controlId == controlId)
            return caption.text;
    return "";
}

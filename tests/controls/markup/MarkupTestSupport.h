#pragma once
// A recording canvas with fixed metrics (the default font draws characters
// 5 pixels wide and lines 13 pixels high) and the arguments of one call on it.
#include <gtest/gtest.h>

#include "controls/markup/HTMLEngine.h"
#include "platform/gui/RecordingCanvas.h"

class MarkupFixture : public ::testing::Test {
 protected:
  TRecordingCanvas c{1000, 1000};

  THTMLDrawParams Params(const std::string& text, TRect r = TRect(0, 0, 400, 300)) {
    THTMLDrawParams p;
    p.Canvas = &c;
    p.Text = text;
    p.Rect = r;
    return p;
  }
};

#pragma once

#include <cstdlib>

// Remembers the last value set on one axis of the window (in twips) and the
// pixel value it became, so that reading it back gives exactly what was set
// while the window has not moved or changed size since. Without it a window
// given 700 twips would report 705 (47 pixels at 96 DPI) and drift from run to
// run.
//
// One pixel either way still counts as unchanged: at a fractional scale the
// window system rounds a window's size to its own steps (at 150 % Qt asks for
// sizes in steps of two device pixels) and the frame's size to whole pixels,
// so a window placed exactly may report itself one pixel off.
class TwipsMemo
{
public:
    void remember(float twips, int pixels)
    {
        m_twips = twips;
        m_pixels = pixels;
        m_valid = true;
    }
    void forget() { m_valid = false; }

    // The remembered twips when pixels is still (within a pixel) the pixel
    // value they became, otherwise the conversion of pixels.
    template <typename Convert> float report(int pixels, Convert fromPixels) const
    {
        if (m_valid && std::abs(pixels - m_pixels) <= 1)
            return m_twips;
        return float(fromPixels(pixels));
    }

private:
    float m_twips = 0;
    int m_pixels = 0;
    bool m_valid = false;
};

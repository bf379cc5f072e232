#pragma once

#include <QImage>

// The built-in lamp pictures: 15 x 15, transparent around the lamp. Kind counts as TLedKind does (red, green,
// blue, yellow, purple, bulb); any other kind gives an empty image.
QImage LedImage(int Kind, bool Lit);

// A picture with one colour keyed out: the colour of its bottom-left pixel becomes transparent, as lamp
// pictures drawn on a plain background expect. A picture that carries its own transparency is kept as it is.
QImage AutoTransparent(const QImage& Picture);

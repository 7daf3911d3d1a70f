#pragma once
// JPEG pictures made with libjpeg itself, so the tests need no image plug-in.
#include <QByteArray>
#include <QRgb>

#include <functional>

// Every row alike: `colour(x)` gives the pixel of column x (grey pictures take its red part).
QByteArray makeJpeg(int width, int height, bool grey, const std::function<QRgb(int x)> &colour,
                    int quality = 75);

#pragma once
// The face both programs draw their own texts in: a variable-pitch sans face
// (DejaVu Sans stands in for the platform's "MS Sans Serif") at weight 650.

#include <QFont>

// `points` converted to pixels for a screen of `dotsPerInchY`, rounded as a
// multiply-divide rounds.
QFont suiteFont(int points, int dotsPerInchY);
// The primary screen's vertical dots per inch (96 without a screen).
int screenDpiY();

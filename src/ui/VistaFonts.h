#pragma once

class QFont;
class QWidget;

namespace vivrelo {

// The font adjustments of windows on platforms whose system font is "Segoe UI" (Windows 6
// and later). The main window runs them only when the Vista-or-later flag is set, which it
// never is here; they stay for a port that sets it.

// When the window's font is not "Segoe UI" and the installed fonts have it: one size larger,
// in "Segoe UI".
void ApplySegoeAdjustment(QWidget &window);
// The font replaced by the system's title font (the platform's general font when it has none).
void ApplySystemFont(QFont &font);

} // namespace vivrelo

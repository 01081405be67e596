#pragma once

namespace tandemo {

class Form1;

/// Lays the two frames and their players out side by side over the client area. Runs when the
/// window is first shown and after every change of its size. A client area too small for the
/// panes (a minimised window, or one shrunk to its menu) leaves the layout as it was.
void Form_Resize(Form1& form);

} // namespace tandemo

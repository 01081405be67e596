; Graphite: a dark skin for Tandemo, with a lighter "Paper" scheme beside it.
; To use it, copy this file to x/o.cjs in the folder that holds the tandemo program.

[skin]
format = tandemo-skin 1
default = Graphite

[scheme Graphite]
window = #2b2f33
window-text = #e6e8ea
base = #1e2124
text = #e6e8ea
button = #3a3f45
button-text = #f2f3f4
highlight = #e0962f
highlight-text = #1a1a1a
frame = #5c646c
style = QToolButton { border: 1px solid #5c646c; border-radius: 3px; padding: 2px; }
style = QToolButton:hover { background-color: #4a5158; }
style = QSlider::groove:horizontal { height: 4px; background: #5c646c; border-radius: 2px; }
style = QSlider::handle:horizontal { width: 10px; margin: -4px 0; background: #e0962f; border-radius: 5px; }

[scheme Paper]
window = #f4f1ea
window-text = #2a2a2a
button = #e6e1d6
button-text = #2a2a2a
highlight = #3b6ea5
highlight-text = #ffffff
frame = #b8b1a3

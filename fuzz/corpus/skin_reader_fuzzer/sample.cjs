# Quorvane sample skin: a calm blue-grey look.
# Copy this file to x\o.cjs beside quorvane.exe to use it; the format is
# described in docs/skin-format.md.

[window]
background = #DCE4EE

[toolbar]
background = #2F4B6E
text = #FFFFFF
font = Calibri, 11, bold

[list]
background = #F7FAFD
text = #1B2A3A
font = Calibri, 11.25, bold

[progress]
background = #FFFFFF
fill = #3C8D5A
text = #1B2A3A
fill-text = #FFFFFF
font = Calibri, 11.25, bold

"""Lumetra through the accessibility bus (run by tests/support/atspi/run.sh): the Download button,
the text box and the preview found by role and name in the window's language; text set through
the editable-text interface renames the preview and the bus announces it once; Auto Adjust
pressed through its action changes the font size the font label names, announced too.
Argument: none; the language is run.sh's (ATSPI_LANGUAGE)."""

import os
import re

import atspi_check as at

NAMES = {
    "english": {
        "download": "Download",
        "text": "Display text",
        "fit": "Auto Adjust",
        "preview": "LCD preview: {}",
        "font": "Display font: {}",
    },
    "chinese": {
        "download": "下载",
        "text": "显示的文字",
        "fit": "自动调整",
        "preview": "LCD 预览：{}",
        "font": "显示的字体：{}",
    },
}


def check(app):
    names = NAMES[os.environ["ATSPI_LANGUAGE"]]
    window = at.find(app, "dialog", "Lumetra")
    download = at.find(window, "push button", names["download"])
    if "Press" not in at.action_names(download):
        at.fail(f"Download has no press action: {at.action_names(download)}")
    box = at.find(window, "text", names["text"])
    preview = at.find(window, "image", names["preview"].format("KAVIR"))
    if at.text(box) != "KAVIR":
        at.fail(f"the text box holds {at.text(box)!r}")

    renamed = at.Events("object:property-change:accessible-name")
    at.set_text(box, "QX410")
    wanted = names["preview"].format("QX410")
    at.wait_until(f"preview named {wanted!r}", lambda: preview.name == wanted)
    at.wait_until("text box holding QX410", lambda: at.text(box) == "QX410")
    renamed.wait_for(f"announcement of the preview's new name {wanted!r}",
                     lambda e: e.source == preview)

    font = at.find(window, "label", re.compile(re.escape(names["font"].format("")) + ".*, 24"))
    before = font.name
    at.press(at.find(window, "push button", names["fit"]))
    at.wait_until("font label naming a new size", lambda: font.name != before)
    renamed.wait_for("announcement of the font label's new name",
                     lambda e: e.source == font)
    renamed.close()
    # The preview's change announced once: a screen reader would say a name sent twice twice.
    # (The font label draws its text as well and announces both changes.)
    times = sum(1 for e in renamed.seen if e.source == preview)
    if times != 1:
        at.fail(f"the preview's new name {wanted!r} announced {times} times")
    print(f"{before!r} -> {font.name!r}")


at.run(check)

"""QX410-Orvane's main window through the accessibility bus (run by tests/support/atspi/run.sh):
Save, Cancel and Return found as buttons by name, the key Q of the keyboard picture by name, the
Light section opened through its action, the Brightness slider with its value; the brightness set
through the value interface and Save pressed through its action reach the emulated keyboard, whose
memory is the state file run.sh gives it ($ATSPI_WORK/state.bin, the configuration image first).
Argument: none; the language is run.sh's (ATSPI_LANGUAGE)."""

import os

import atspi_check as at

NAMES = {
    "english": {"save": "Save", "cancel": "Cancel", "return": "Return", "light": "Light",
                "brightness": "Brightness"},
    "chinese": {"save": "保存", "cancel": "取消", "return": "恢复", "light": "灯光", "brightness": "亮度"},
}
BRIGHTNESS = 7452   # the brightness byte of the configuration image (slider position 0..50)


def keyboard_brightness():
    with open(os.path.join(os.environ["ATSPI_WORK"], "state.bin"), "rb") as state:
        state.seek(BRIGHTNESS)
        return state.read(1)[0]


def check(app):
    names = NAMES[os.environ["ATSPI_LANGUAGE"]]
    window = at.find(app, "frame", "QX410-Orvane")
    save = at.find(window, "push button", names["save"])
    at.find(window, "push button", names["cancel"])
    at.find(window, "push button", names["return"])
    at.find(window, "push button", "Q")

    at.press(at.find(window, "push button", names["light"]))
    slider = at.find(window, "slider", names["brightness"])
    at.wait_until("the keyboard's brightness 50 on the slider", lambda: at.value(slider) == 50)
    if slider.queryValue().maximumValue != 50:
        at.fail(f"the brightness slider ends at {slider.queryValue().maximumValue}, not 50")

    slider.queryValue().currentValue = 20
    at.wait_until("the slider at 20", lambda: at.value(slider) == 20)
    if keyboard_brightness() != 50:
        at.fail("the keyboard changed before Save")
    at.press(save)
    at.wait_until("the keyboard holding brightness 20 after Save", lambda: keyboard_brightness() == 20)


at.run(check)

#!/usr/bin/python3
"""The studio in a real browser (headless Chromium driven by Selenium).

    studio_browser_test.py NBPARTICLE SOURCE_DIR WORK_DIR

Opens the page of `nbparticle studio` on a copy of the bundled fire and, as
an author would: sees frames advance; types a misspelt element and sees the
marker at its line while the last frame stays; mends it and sees frames
resume; changes a number with its control, saves and finds the file on disk
changed; writes the file from outside and sees the view follow; seeks to 2 s
at seed 1 and finds the frame equal, pixel for pixel, to frame 60 of
`render` at the same seed, view and size. Writes WORK_DIR/studio.png, the
README's screenshot (NBPS_UPDATE_SCREENSHOT=1 copies it to docs/).
"""
import base64
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

NBPARTICLE, SOURCE, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
FLAGS = ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking "
         "--disable-component-update --disable-sync").split()


def wait(what, condition, seconds=10.0):
    """Polls condition until it gives a true value, which is returned."""
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("waited %.0f s in vain for %s" % (seconds, what))
        time.sleep(0.05)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    doc = os.path.join(WORK, "fire.par")
    for name in ("fire.par", "flame.png", "spark.png", "fire_ramp.png"):
        shutil.copy(os.path.join(SOURCE, "effects", name), os.path.join(WORK, name))
    original = open(doc, encoding="utf-8").read()

    server = subprocess.Popen([NBPARTICLE, "studio", doc, "--port", "0"], stdout=subprocess.PIPE, text=True)
    profile = tempfile.mkdtemp(prefix="nbps-chromium-")
    driver = None
    try:
        line = server.stdout.readline()
        url = re.search(r"http://127\.0\.0\.1:\d+/", line).group(0)
        options = webdriver.ChromeOptions()
        for flag in FLAGS + ["--user-data-dir=" + profile, "--window-size=1440,1000"]:
            options.add_argument(flag)
        options.binary_location = "/usr/bin/chromium"
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        try:
            scenario(driver, url, doc, original)
        except Exception:
            for entry in driver.get_log("browser"):
                print("browser:", entry["message"], file=sys.stderr)
            driver.save_screenshot(os.path.join(WORK, "failure.png"))
            raise
    finally:
        if driver:
            driver.quit()
        server.send_signal(signal.SIGINT)
        status = server.wait(timeout=30)
        shutil.rmtree(profile, ignore_errors=True)
    assert status == 0, "the studio ended with status %d" % status
    print("studio browser test passed")


def js(driver, script, *args):
    return driver.execute_script(script, *args)


def shown(driver):
    return js(driver, "return [studio.state.shown, studio.state.shownKey, studio.state.revision]")


def pixels(driver):
    return js(driver, "var c = document.getElementById('view');"
                      "return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data).join();")


def type_at(driver, line, ch, keys):
    """Puts the cursor at line, ch and types keys as keystrokes."""
    js(driver, "studio.editor.focus(); studio.editor.setCursor({line: arguments[0], ch: arguments[1]});", line, ch)
    ActionChains(driver).send_keys(keys).perform()


def scenario(driver, url, doc, original):
    driver.get(url)
    editor = lambda: js(driver, "return studio.editor.getValue()")
    wait("the document in the editor", lambda: editor() == original)

    # Frames advance.
    first = wait("a first frame", lambda: shown(driver)[0] > 0 and shown(driver))
    wait("frames to advance", lambda: shown(driver)[0] != first[0])

    # A misspelt element: marked at its line, the last frame stays.
    lines = original.split("\n")
    at = next(i for i, l in enumerate(lines) if "<LifeTime>" in l)
    type_at(driver, at - 1, len(lines[at - 1]), Keys.ENTER + "<LifeTme>2")
    wait("the closing tag", lambda: "<LifeTme>2</LifeTme>" in editor())
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()   # closes the completion list
    marked = lambda: js(driver, """
        var found = [];
        studio.editor.state.lint.marked.forEach(function (m) {
          var r = m.find(); if (r && m.__annotation && m.__annotation.severity == 'error') found.push(r.from.line);
        });
        return found;""")
    wait("an error marker at line %d" % (at + 1), lambda: at in marked())
    assert "LifeTme" in driver.find_element("id", "findings").text
    wait("the hold notice", lambda: driver.find_element("id", "hold").is_displayed())
    held, still = shown(driver), pixels(driver)
    time.sleep(1.0)
    assert shown(driver)[0] == held[0] and pixels(driver) == still, "the last good frame did not stay"
    # The README's screenshot: the marked text, with the element below
    # explained on hover, beside the held frame.
    js(driver, """
        var cm = studio.editor, line = arguments[0] + 1, ch = cm.getLine(line).indexOf('LifeTime') + 2;
        cm.scrollTo(null, cm.heightAtLine(line - 14, 'local'));
        var p = cm.charCoords({line: line, ch: ch}, 'window');
        cm.getWrapperElement().querySelector('.CodeMirror-lines').dispatchEvent(
          new MouseEvent('mousemove', {clientX: p.left, clientY: (p.top + p.bottom) / 2, bubbles: true}));""", at)
    wait("the hover text", lambda: "seconds" in driver.find_element("id", "tip").text)
    driver.save_screenshot(os.path.join(WORK, "studio.png"))
    if os.environ.get("NBPS_UPDATE_SCREENSHOT") == "1":
        shutil.copy(os.path.join(WORK, "studio.png"), os.path.join(SOURCE, "docs", "studio.png"))


    # Mended: frames resume.
    ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    wait("the text mended", lambda: editor() == original or
         ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform())
    wait("the hold notice to go", lambda: not driver.find_element("id", "hold").is_displayed())
    resumed = shown(driver)[0]
    wait("frames to resume", lambda: shown(driver)[0] != resumed)

    # A number changed with its control changes only that element's text;
    # saving writes it to the file.
    field = driver.find_elements("css selector", "#fields input[type=number]")[0]
    field.clear()
    field.send_keys("60")
    expected = original.replace("<NumPerSecond>160</NumPerSecond>", "<NumPerSecond>60</NumPerSecond>", 1)
    wait("the control's edit", lambda: editor() == expected)
    driver.find_element("id", "save").click()
    wait("the file saved", lambda: open(doc, encoding="utf-8").read() == expected)
    wait("the saved state", lambda: driver.find_element("id", "dirty").text == "")

    # A save from another program: the text and the view follow.
    before = shown(driver)[2]
    outside = expected.replace("<ParticleWidth>", "<ParticleWidth>2", 1)
    with open(doc + ".tmp", "w", encoding="utf-8") as f:
        f.write(outside)
    start = time.monotonic()
    os.rename(doc + ".tmp", doc)
    wait("the editor to follow", lambda: editor() == outside, 3)
    wait("the view to follow", lambda: shown(driver)[2] > before and shown(driver)[1].endswith("r=%d" % shown(driver)[2]), 3)
    print("the view followed a save from outside in %.0f ms" % ((time.monotonic() - start) * 1000))

    # Seek to 2 s at seed 1: render's frame 60. With --frames 84 render's
    # contact sheet shows frame 60 in its ninth cell (cell k shows frame
    # (2k + 1) * 84 / 24 + 1).
    js(driver, """
        var set = function (id, v) { var e = document.getElementById(id); e.value = v; e.dispatchEvent(new Event('change')); };
        set('frames', 84); set('seed', 1); set('fps', 30); set('size', '320x240'); set('azimuth', 35); set('elevation', 25);
        if (studio.state.playing) document.getElementById('play').click();
        var s = document.getElementById('scrubber'); s.value = 60; s.dispatchEvent(new Event('input'));""")
    wait("frame 60", lambda: shown(driver)[0] == 60 and "size=320x240" in shown(driver)[1] and "frames=84" in shown(driver)[1])
    width, height = js(driver, "var c = document.getElementById('view'); return [c.width, c.height];")
    page = base64.b64decode(js(driver, """
        var c = document.getElementById('view'), d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        var s = ''; for (var i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
        return btoa(s);"""))
    sheet = os.path.join(WORK, "render.png")
    subprocess.run([NBPARTICLE, "render", doc, "-o", sheet, "--frames", "84", "--seed", "1", "--fps", "30",
                    "--size", "320x240", "--view", "35,25"], check=True)
    cell = Image.open(sheet).convert("RGB").crop((0, 2 * 240, 320, 3 * 240))
    assert (width, height) == (320, 240)
    assert page == cell.tobytes(), "the page's frame 60 differs from render's in %d bytes" % sum(
        a != b for a, b in zip(page, cell.tobytes()))


if __name__ == "__main__":
    main()

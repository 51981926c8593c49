#!/usr/bin/python3
"""Renders every picture under assets/images/ onto one contact sheet, to
look at them as a person would:

    /usr/bin/python3 tools/images/contact_sheet.py [OUTPUT.png]

(default /tmp/kvarlop_contact_sheet.png). Each picture is shown over a
checkerboard, so transparency shows, and again on the screen it is used on:
buttons in their three states on the screens' background, the bubble and its
burst over the exercise's meadow, the keyboard page, the praise cloud with a
stand-in for its video. Tiny pictures are enlarged with square pixels.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.normpath(os.path.join(HERE, "..", "..", "assets", "images"))
FONT = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"

SHEET_W = 1600
TILE = 190
LABEL_H = 30


def load(name):
    return Image.open(os.path.join(IMAGES, name + ".png")).convert("RGBA")


def checker(w, h, size=8):
    img = Image.new("RGBA", (w, h), (255, 255, 255, 255))
    d = ImageDraw.Draw(img)
    for y in range(0, h, size):
        for x in range(0, w, size):
            if (x // size + y // size) % 2:
                d.rectangle((x, y, x + size - 1, y + size - 1), fill=(204, 204, 204, 255))
    return img


def fitted(img, box):
    w, h = img.size
    scale = min(box / float(w), box / float(h))
    if scale >= 2:
        scale = int(scale)
        return img.resize((w * scale, h * scale), Image.NEAREST)
    if scale < 1:
        return img.resize((max(1, int(w * scale)), max(1, int(h * scale))), Image.LANCZOS)
    return img


class Sheet:
    def __init__(self):
        self.rows = []
        self.font = ImageFont.truetype(FONT, 13)
        self.title_font = ImageFont.truetype(FONT, 20)

    def section(self, title):
        self.rows.append(("title", title))

    def tiles(self, names):
        self.rows.append(("tiles", names))

    def scene(self, image, caption):
        self.rows.append(("scene", (image, caption)))

    def render(self, path):
        parts = []
        for kind, content in self.rows:
            if kind == "title":
                img = Image.new("RGBA", (SHEET_W, 34), (40, 52, 70, 255))
                ImageDraw.Draw(img).text((12, 6), content, font=self.title_font, fill=(255, 255, 255))
                parts.append(img)
            elif kind == "tiles":
                per_row = SHEET_W // (TILE + 10)
                for start in range(0, len(content), per_row):
                    row = Image.new("RGBA", (SHEET_W, TILE + LABEL_H + 10), (245, 245, 245, 255))
                    for i, name in enumerate(content[start:start + per_row]):
                        pic = load(name)
                        shown = fitted(pic, TILE)
                        x = 5 + i * (TILE + 10)
                        back = checker(TILE, TILE)
                        back.alpha_composite(shown, ((TILE - shown.width) // 2, (TILE - shown.height) // 2))
                        row.paste(back, (x, 5))
                        d = ImageDraw.Draw(row)
                        d.text((x, TILE + 8), "%s %dx%d" % (name, pic.width, pic.height), font=self.font,
                               fill=(0, 0, 0))
                    parts.append(row)
            else:
                image, caption = content
                row = Image.new("RGBA", (SHEET_W, image.height + 40), (245, 245, 245, 255))
                row.paste(image, (5, 5))
                ImageDraw.Draw(row).text((8, image.height + 12), caption, font=self.font, fill=(0, 0, 0))
                parts.append(row)
        height = sum(p.height for p in parts)
        sheet = Image.new("RGBA", (SHEET_W, height), (255, 255, 255, 255))
        y = 0
        for p in parts:
            sheet.paste(p, (0, y))
            y += p.height
        sheet.convert("RGB").save(path)
        return sheet.size


BUTTONS = ["PrintButton", "SaveAsButton", "RetryButton", "CloseButton", "StartPopStartButton",
           "SubmitButton", "OptionsButton", "CancelButton"]


def buttons_scene():
    bg = load("DefaultBackGround").crop((0, 0, 800, 600))
    y = 14
    for name in BUTTONS:
        x = 14
        for suffix in ("", "Nuv", "Klick"):
            pic = load(name + suffix)
            bg.alpha_composite(pic, (x, y))
            x += pic.width + 12
        y += 56
    x = 560
    for name in ("ExitButton", "EscButton", "F1Button", "F12Button"):
        pic = load(name)
        bg.alpha_composite(pic, (x, 20))
        x += pic.width + 14
    # A disabled button is drawn tinted grey.
    grey = load("PrintButton")
    px = grey.load()
    for j in range(grey.height):
        for i in range(grey.width):
            r, g, b, a = px[i, j]
            px[i, j] = (r // 2, g // 2, b // 2, a)
    bg.alpha_composite(grey, (560, 70))
    d = ImageDraw.Draw(bg)
    font = ImageFont.truetype("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", 18)
    d.text((560, 130), "Номер ЦОР:  07342", font=font, fill=(7, 33, 52))
    d.text((560, 160), "Тренажер «Кварлоп»", font=font, fill=(7, 33, 52))
    return bg.resize((600, 450), Image.LANCZOS)


def bubble_scene():
    bg = load("102")
    for i, name in enumerate(("103", "108", "109", "110")):
        pic = load(name).resize((180, 166), Image.LANCZOS)
        bg.alpha_composite(pic, (20 + i * 190, 40))
    big = load("103").resize((300, 276), Image.LANCZOS)
    bg.alpha_composite(big, (250, 260))
    small = load("103").resize((128, 118), Image.LANCZOS)
    bg.alpha_composite(small, (620, 420))
    return bg


def keyboard_scene():
    bg = load("102").copy()
    bg.alpha_composite(load("KEYBOARDPIC"), (107, 347))
    bg.alpha_composite(load("MOUSE"), (500, 209))
    bg.alpha_composite(load("KEYSPACE"), (237, 502))
    bg.alpha_composite(load("MOUSE_ML"), (461, 357))
    bg.alpha_composite(load("CURSOR"), (451, 347))
    return bg


def praise_scene():
    bg = load("102").copy()
    video = Image.new("RGBA", (320, 200), (250, 150, 80, 255))
    ImageDraw.Draw(video).text((110, 90), "video", font=ImageFont.truetype(FONT, 24), fill=(255, 255, 255))
    bg.alpha_composite(video, (137 + 93, 100 + 76))
    bg.alpha_composite(load("oblako_png"), (137, 100))
    return bg


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "/tmp/kvarlop_contact_sheet.png"
    names = sorted(os.path.splitext(f)[0] for f in os.listdir(IMAGES) if f.endswith(".png"))
    sheet = Sheet()
    sheet.section("Every picture, over a checkerboard")
    sheet.tiles(names)
    sheet.section("On their screens")
    sheet.scene(buttons_scene(), "Buttons (normal, hover, pressed), exit cross, key caps, a greyed button, "
                                 "text in the screens' dark blue")
    sheet.scene(bubble_scene(), "The bubble and its burst over the exercise background, at several sizes")
    sheet.scene(keyboard_scene(), "The keyboard page with the lit space bar, the mouse and the pointer")
    sheet.scene(praise_scene(), "The praise cloud over a stand-in for its video")
    size = sheet.render(out)
    print("contact sheet %dx%d written to %s" % (size[0], size[1], out))


if __name__ == "__main__":
    main()

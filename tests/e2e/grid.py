"""What a test can see of the grid in a screenshot: the cells, which of them show the
highlight, their colours, and a click that is known to have been taken."""

import time

import harness

CELL = 200
GRID = 3 * CELL
ORIGIN_800X600 = (100, 0)  # the grid's top-left corner in the default window


def cell_pixels(image, origin, k, step=2):
    """Cell k's pixels without its one-pixel rim, which multisampling shares with the
    neighbours."""
    x0, y0 = origin[0] + CELL * (k % 3), origin[1] + CELL * (k // 3)
    return [image.pixel(x, y) for y in range(y0 + 1, y0 + CELL - 1, step)
            for x in range(x0 + 1, x0 + CELL - 1, step)]


def highlighted(image, origin):
    """The cells that show the highlight, and those filled by their shape so that it cannot
    be told. Without the highlight the background is pure black; the highlight adds the same
    grey (25..76) to every pixel, so no pure black is left and the background turns grey."""
    lit, full = [], []
    for k in range(9):
        pixels = cell_pixels(image, origin, k)
        if (0, 0, 0) not in pixels:
            grey = sum(1 for r, g, b in pixels if r == g == b and 20 <= r <= 80)
            (lit if grey >= 20 else full).append(k)
    return lit, full


def cell_hue(image, origin, k):
    """The mean chromaticity (r, g) / (r + g + b) of the cell's lit, unsaturated pixels:
    lighting scales a colour, so this is the material's whatever the shape's turn. None when
    too few pixels can be measured."""
    px = [p for p in cell_pixels(image, origin, k) if 40 < max(p) < 230]
    return tuple(sum(p[i] / sum(p) for p in px) / len(px) for i in (0, 1)) if len(px) >= 30 \
        else None


def hue_changed(a, b):
    """Whether two cell colours differ; one that cannot be measured is given the benefit of
    the doubt."""
    return a is None or b is None or max(abs(a[0] - b[0]), abs(a[1] - b[1])) > 0.006


def hues(session, window, origin=ORIGIN_800X600):
    """The nine cells' colours with the pointer off the grid, or None while fewer than five
    can be measured."""
    session.move_in(window, 50, 300)
    time.sleep(0.3)
    image = session.screenshot(window)
    values = [cell_hue(image, origin, k) for k in range(9)]
    return values if sum(v is not None for v in values) >= 5 else None


def wait_hues(session, window, origin=ORIGIN_800X600):
    return harness.wait_for(lambda: hues(session, window, origin), 60,
                            "too few cells whose colour can be measured")


def click(session, window, order=(6, 0, 2, 8, 4, 3, 5, 1, 7), origin=ORIGIN_800X600):
    """Clicks the first cell of `order` that shows its highlight and returns its index once
    the click was taken. The button is held until the highlight goes, as the cooldown of a
    taken click makes it: input is polled once a frame, so a short click could fall between
    two frames. A cell filled by its shape shows no highlight and is passed over."""
    def lit(k):
        return k in highlighted(session.screenshot(window), origin)[0]
    for k in order:
        session.move_in(window, origin[0] + CELL * (k % 3) + CELL // 2,
                        origin[1] + CELL * (k // 3) + CELL // 2)
        try:
            harness.wait_for(lambda: lit(k), 10, "no highlight")
        except harness.HarnessError:
            continue
        session.button(down=True)
        try:
            harness.wait_for(lambda: not lit(k), 20, "the click was never taken")
        finally:
            session.button(down=False)
        return k
    raise harness.HarnessError("no cell shows its highlight")

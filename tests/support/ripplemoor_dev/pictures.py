"""Screenshots of the program's window as Pillow images: Pillow grabs them from
the X display and holds and compares the pixels."""

from PIL import ImageChops, ImageGrab

# The clear colour as the 8-bit framebuffer may hold it (0.7 may round either way).
CLEAR_COLOURS = {(r, 204, 255) for r in (178, 179)}

# Regions of the 640 x 480 window. The frame-rate text sits in the lower-left corner.
FPS_BOX = (0, 430, 240, 480)
# Everything else, as two boxes.
SCENE_BOXES = [(0, 0, 640, 430), (240, 430, 640, 480)]
# Well inside the water in the start-up view: no sky, no text.
INNER_WATER = (160, 200, 480, 400)
# The top rows, where the start-up view shows the sky beyond the water's far edge.
TOP_BAND = (0, 0, 640, 8)


class Picture:
    """An RGB Pillow image with the few questions the tests ask of it."""

    def __init__(self, image):
        self.image = image.convert("RGB")
        self.width, self.height = self.image.size

    def pixel(self, x, y):
        return self.image.getpixel((x, y))

    def pixels(self, box=None):
        return list((self.image.crop(box) if box else self.image).getdata())

    def differing(self, other, box=None):
        """Number of pixels in box whose colour differs between the two pictures."""
        a = self.image.crop(box) if box else self.image
        b = other.image.crop(box) if box else other.image
        r, g, bl = ImageChops.difference(a, b).split()
        largest = ImageChops.lighter(ImageChops.lighter(r, g), bl)
        return a.size[0] * a.size[1] - largest.histogram()[0]

    def differs(self, other, box=None):
        a = self.image.crop(box) if box else self.image
        b = other.image.crop(box) if box else other.image
        return ImageChops.difference(a, b).getbbox() is not None

    def distinct_colours(self, box=None):
        region = self.image.crop(box) if box else self.image
        return len(region.getcolors(maxcolors=region.size[0] * region.size[1]))

    def save(self, path):
        self.image.save(path)


def grab(display, box):
    """The box (left, top, right, bottom) of the display's screen as a Picture."""
    return Picture(ImageGrab.grab(bbox=box, xdisplay=display))


def scene_difference(a, b):
    """Pixels that differ outside the frame-rate text."""
    return sum(a.differing(b, box) for box in SCENE_BOXES)


def scene_differs(a, b):
    return any(a.differs(b, box) for box in SCENE_BOXES)


def is_grey(pixel):
    return pixel[0] == pixel[1] == pixel[2]

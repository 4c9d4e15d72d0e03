"""ripplemoor.animate: frames of a field as a matplotlib animation, or an MP4."""

import numpy as np


def _frames(source, field):
    """(frames, times) from a Dataset of run() or a sequence of 2-D arrays."""
    if hasattr(source, "data_vars"):
        if field not in source.data_vars:
            raise ValueError(f"animate(): the dataset has no field {field!r}; record it with run(fields=...)")
        frames = np.asarray(source[field].values)
        times = np.asarray(source["time"].values) if "time" in source.coords else None
    else:
        frames = np.asarray([np.asarray(f) for f in source])
        times = None
    if frames.ndim != 3 or frames.shape[0] == 0:
        raise ValueError("animate(): need one or more 2-D frames")
    return frames, times


def animate(source, *, field="h", path=None, interval=40, cmap="viridis", vmin=None, vmax=None, fps=25,
            title="t = {time:.2f}"):
    """An animation of a recorded run's field.

    Parameters
    ----------
    source : xarray.Dataset or sequence of 2-D arrays
        A Dataset from ``Basin.run(fields=(field, ...))``, or frames indexed [y, x].
    field : str
        The Dataset's variable to show.
    path : str, optional
        Also write the animation there: an .mp4 through ffmpeg, a .gif through Pillow.
    interval, fps : int
        Milliseconds between frames on screen; frames per second in the file.
    cmap, vmin, vmax
        The colour map and its range, fixed over all frames (default: the data's).
    title : str
        Each frame's title, formatted with its ``time``.

    Returns
    -------
    matplotlib.animation.FuncAnimation
    """
    import matplotlib
    if path is not None:
        matplotlib.use("Agg", force=False)
    import matplotlib.pyplot as plt
    from matplotlib.animation import FuncAnimation

    frames, times = _frames(source, field)
    lo = float(np.nanmin(frames)) if vmin is None else vmin
    hi = float(np.nanmax(frames)) if vmax is None else vmax
    figure, axes = plt.subplots()
    image = axes.imshow(frames[0], origin="lower", cmap=cmap, vmin=lo, vmax=hi, animated=True)
    figure.colorbar(image, ax=axes, label=field)
    label = axes.set_title("")

    def draw(k):
        image.set_data(frames[k])
        label.set_text(title.format(time=times[k] if times is not None else k, frame=k))
        return image, label

    draw(0)
    movie = FuncAnimation(figure, draw, frames=len(frames), interval=interval, blit=False)
    if path is not None:
        writer = "ffmpeg" if str(path).endswith(".mp4") else "pillow"
        movie.save(str(path), writer=writer, fps=fps)
    return movie

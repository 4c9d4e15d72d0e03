# Sphinx configuration of the documentation site: the Markdown pages of docs/
# (MyST) and the Python module's reference from its docstrings (autodoc).
# The tests build it with -W into the build folder (tests/docs/CMakeLists.txt);
# the module is found on PYTHONPATH, as a user of the build finds it.
project = "Ripplemoor"
copyright = "the Ripplemoor developers, MIT licence"
root_doc = "index"
extensions = ["myst_parser", "sphinx.ext.autodoc"]
source_suffix = {".md": "markdown"}
# Links to a section of another page: [text](page.md#section-title).
myst_heading_anchors = 3
exclude_patterns = ["_build"]
html_theme = "alabaster"
# No "view source" links to pages copied into the site.
html_copy_source = False
html_show_sourcelink = False
autodoc_member_order = "bysource"
smartquotes = False

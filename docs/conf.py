# Sphinx configuration of the documentation site: the Markdown pages of docs/
# (MyST), some of their text included from the README, and the Python module's
# reference from its numpydoc docstrings (autodoc with napoleon).
# The tests build it with -W into the build folder (tests/docs/CMakeLists.txt);
# the module is found on PYTHONPATH, as a user of the build finds it.
project = "Ripplemoor"
copyright = "the Ripplemoor developers, MIT licence"
root_doc = "index"
extensions = ["myst_parser", "sphinx.ext.autodoc", "sphinx.ext.napoleon"]
napoleon_google_docstring = False
napoleon_numpy_docstring = True
source_suffix = {".md": "markdown"}
# Links to a section of another page: [text](page.md#section-title).
myst_heading_anchors = 3
exclude_patterns = ["_build", "tools"]
html_theme = "alabaster"
html_static_path = ["_static"]
html_css_files = ["custom.css"]
# No "view source" links to pages copied into the site.
html_copy_source = False
html_show_sourcelink = False
autodoc_member_order = "bysource"
smartquotes = False

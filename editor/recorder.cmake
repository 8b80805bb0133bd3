# The recorder and its hook library.

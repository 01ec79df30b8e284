// Replaced as the window-free interface logic arrives.

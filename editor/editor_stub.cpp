// Placeholder source of the editor library until its dialogs land.

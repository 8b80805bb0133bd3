// Placeholder source of the scheduling library until its classes land.

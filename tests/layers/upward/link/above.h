// The folder the planted include points at.

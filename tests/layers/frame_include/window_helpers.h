// A helper of gui/ the pieces may share.

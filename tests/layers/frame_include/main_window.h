// The frame's header the planted pieces reach for.

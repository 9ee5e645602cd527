// The global effect: the parameters every effect shares through the pool.
effect 1
parameter vector CanvasColor shared = 1 1 1 1
parameter texture Color0 shared
parameter texture Color1 shared

/* An empty shared library: linking the start-up floor against it shows what
 * loading one more library costs, the floor for a tool bound to its device
 * library at load time. */
void BenchEmpty(void) {}

/* Placeholder until the attribute tool lands. */
int main(void) { return 0; }

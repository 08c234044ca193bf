/* Nothing of its own: the import probe is the program's library, whole. */
int lumivane_import_probe;

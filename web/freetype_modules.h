/* The FreeType modules of the browser build (FT_CONFIG_MODULES_H): TrueType
   faces with their bytecode hinting, and the auto-hinter that FreeType turns
   to for a face without hints; nothing that rasterises, since the glyph
   source only walks outlines. */
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )

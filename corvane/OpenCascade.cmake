find_package(OpenCASCADE REQUIRED)
# Some installs reference the unversioned TBB libraries without shipping them (the -dev
# package is missing); point the imported targets at the versioned runtime instead.
foreach(_tk ${OpenCASCADE_LIBRARIES})
  if(TARGET ${_tk})
    get_target_property(_libs ${_tk} INTERFACE_LINK_LIBRARIES)
    if(_libs)
      set(_fixed "")
      foreach(_l ${_libs})
        if(IS_ABSOLUTE "${_l}" AND NOT EXISTS "${_l}")
          file(GLOB _alt "${_l}.*")
          if(_alt)
            list(SORT _alt)
            list(GET _alt 0 _l)
          endif()
        endif()
        list(APPEND _fixed "${_l}")
      endforeach()
      set_target_properties(${_tk} PROPERTIES INTERFACE_LINK_LIBRARIES "${_fixed}")
    endif()
  endif()
endforeach()

# The toolkits the host and the tests' read-back helper use.
set(IDF_OCCT_LIBRARIES
  TKXDESTEP TKXCAF TKSTEP TKSTEPBase TKXSBase TKLCAF TKCAF TKBO TKBool TKPrim TKTopAlgo
  TKShHealing TKGeomAlgo TKBRep TKGeomBase TKG3d TKG2d TKMath TKernel
  CACHE INTERNAL "")
# The program links only these; the rest come with the modules that need them.
set(IDF_OCCT_MODELLING_LIBRARIES
  TKBO TKPrim TKTopAlgo TKShHealing TKGeomAlgo TKBRep TKGeomBase TKG3d TKG2d TKMath TKernel
  CACHE INTERNAL "")
set(IDF_OCCT_INCLUDE_DIR "${OpenCASCADE_INCLUDE_DIR}" CACHE INTERNAL "")

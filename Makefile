# make       builds both plug-in DLLs and renders build/gallery.png
# make test  builds and runs every test
BUILD := build
B64 := $(abspath $(BUILD))/x86_64
B32 := $(abspath $(BUILD))/i686
WINE_PREFIX := $(abspath $(BUILD))/wine
WINE_RUN := $(CURDIR)/tools/wine-run --prefix=$(WINE_PREFIX)
JOBS ?= 2

.PHONY: all bootstrap build gallery test clean
all: gallery

bootstrap:
	@tools/bootstrap

build: bootstrap
	cmake -S . -B $(B32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCLASSICCONTROLS_TESTS=OFF >/dev/null
	cmake --build $(B32) -j $(JOBS)
	cmake -S . -B $(B64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DI686_DLL=$(B32)/bin/ClassicControls.dll -DWINE_PREFIX=$(WINE_PREFIX) >/dev/null
	cmake --build $(B64) -j $(JOBS)

gallery: build
	cd $(B64)/bin && $(WINE_RUN) ./gallery.exe $(abspath $(BUILD))/gallery.png; \
	  status=$$?; $(WINE_RUN) --stop; exit $$status

test: build
	cd $(B64) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS); \
	  status=$$?; $(WINE_RUN) --stop; exit $$status

clean:
	rm -rf $(BUILD)

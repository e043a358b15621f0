# make                 builds both DLLs and renders build/gallery.png with the 32-bit one
# make docs            writes the controls' manual from the 32-bit DLL: docs/manual.md, its pictures
#                      in docs/manual/ and build/manual/Manual.html (the page the package carries)
# make test            builds and runs every test against both DLLs, and the debug build's
# make dist            build/dist/ClassicControls-<version>.zip
# make bench           times every paint against its standard peer and its GDI calls,
#                      for both DLLs: build/bench-<arch>.txt and .csv
# make gallery-golden  renders the gallery's golden pictures afresh: docs/gallery.png (Windows XP),
#                      gallery-classic.png (every other NT), gallery-9x.png (Windows 98) and
#                      gallery-high-contrast-black.png and -white.png (the two high-contrast schemes)
# make soak            the soak's self-test, then a million random host calls into each DLL
#                      (SOAK_CALLS, SOAK_SEED); replays of any fault in build/<arch>/bin/soak-results
# make monkey          seeded random real input into the demo on a virtual display, both DLLs
#                      (MONKEY_EVENTS, MONKEY_SEED); faults and replays in build/<arch>/monkey/faults
# make demo            runs the demo (32-bit DLL) in a window on $DISPLAY; DEMO_WINDOWS=winxp plays
#                      Windows XP (visual styles), DEMO_ARGS passes options on
# make demo-picture    drives the demo on a virtual display and keeps its picture as docs/demo.png
# make mutate          the mutation run over src/ in a copy of the tree (build/mutate), 64-bit build;
#                      MUTANTS=N samples N mutants with SEED (default 1); by hand, not part of make test
#
# RUN32=emulator runs the 32-bit side under the emulator even where the kernel
# could run it natively (the path of machines whose kernel refuses 32-bit
# programs); RUN32=none takes it as unavailable. tools/runner32 tells how
# 32-bit programs run here.
BUILD := build
RUN32 ?= auto
export RUN32
WINE_PREFIX := $(abspath $(BUILD))/wine
WINE_RUN := $(CURDIR)/tools/wine-run --prefix=$(WINE_PREFIX)
# The demo runs on a display, with Wine's X11 driver in a prefix of its own.
WINE_X11_RUN := WINE_RUN_DISPLAY=1 $(CURDIR)/tools/wine-run --prefix=$(WINE_PREFIX)-x11
ARCHES := i686 x86_64
# The debug build whose tests run with the plug-in's assertions on.
DEBUG_PRESET := x86_64-debug
# $(call pictures_arch,WHAT) sets $arch: i686, or x86_64 (which draws the
# same pixels) where 32-bit programs cannot run, saying so.
pictures_arch = arch=i686; if ! why=$$(tools/runner32); then arch=x86_64; \
  echo "$${why\#none: }: drawing $(1) with the 64-bit DLL, which draws the same pixels"; fi
# Sets $runner: how this architecture's programs run, for the figures.
RUNNER_OF = runner=""; if [ "$$p" = i686 ] && [ "$$(tools/runner32 --mode)" = emulator ]; then \
  runner="under an emulator ($$(tools/runner32 | sed 's/^emulator: //; s/ (binfmt.*//'))"; fi

.PHONY: all bootstrap build build-debug gallery gallery-golden docs demo demo-picture test soak monkey dist bench mutate clean
all: gallery docs

# Every command starts here, and says how 32-bit programs run.
bootstrap:
	@tools/bootstrap && echo "== 32-bit programs: $$(tools/runner32)"

build: bootstrap
	@for p in $(ARCHES); do cmake --preset $$p >/dev/null && cmake --build --preset $$p || exit 1; done

build-debug: bootstrap
	cmake --preset $(DEBUG_PRESET) >/dev/null && cmake --build --preset $(DEBUG_PRESET)

gallery: build
	@$(call pictures_arch,the gallery); \
	cd $(BUILD)/$$arch/bin && $(WINE_RUN) --windows winxp ./gallery.exe $(abspath $(BUILD))/gallery.png; \
	  status=$$?; $(WINE_RUN) --stop; exit $$status

# One golden picture per look: Windows XP's (visual styles), the classic one
# of every other NT version, Windows 98's (narrow text), which only the
# 32-bit DLL meets, and the classic look in each high-contrast scheme.
gallery-golden: build
	@$(call pictures_arch,the golden pictures); \
	cd $(BUILD)/$$arch/bin && $(WINE_RUN) --windows winxp ./gallery.exe $(CURDIR)/docs/gallery.png && \
	  $(WINE_RUN) --windows win7 ./gallery.exe $(CURDIR)/docs/gallery-classic.png && \
	  $(WINE_RUN) --windows win7 ./gallery.exe $(CURDIR)/docs/gallery-high-contrast-black.png --scheme high-contrast-black && \
	  $(WINE_RUN) --windows win7 ./gallery.exe $(CURDIR)/docs/gallery-high-contrast-white.png --scheme high-contrast-white && \
	  if [ $$arch = i686 ]; then $(WINE_RUN) --windows win98 ./gallery.exe $(CURDIR)/docs/gallery-9x.png; \
	  else echo "docs/gallery-9x.png left as it is: Windows 98 runs only the 32-bit DLL"; fi; \
	  status=$$?; $(WINE_RUN) --stop; exit $$status

# As Windows XP, so that the themed cells draw themed.
docs: build
	@$(call pictures_arch,the manual); \
	cd $(BUILD)/$$arch/bin && $(WINE_RUN) --windows winxp ./manual.exe --docs $(CURDIR)/docs \
	  --prose $(CURDIR)/manual/prose.txt --html $(abspath $(BUILD))/manual/Manual.html; \
	  status=$$?; $(WINE_RUN) --stop; exit $$status

demo:
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make demo shows a window and needs an X display (DISPLAY is not set)."; \
	  echo "Without a desktop, start a virtual one and take screenshots of it:"; \
	  echo "  Xvfb :7 -screen 0 1024x768x24 &"; \
	  echo "  DISPLAY=:7 make demo &"; \
	  echo "  DISPLAY=:7 import -window root demo.png"; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	@$(call pictures_arch,the demo); \
	cd $(BUILD)/$$arch/bin && $(WINE_X11_RUN) $(if $(DEMO_WINDOWS),--windows $(DEMO_WINDOWS)) ./demo.exe $(DEMO_ARGS); \
	  status=$$?; $(WINE_X11_RUN) --stop; exit $$status

demo-picture: build
	@$(call pictures_arch,the demo's picture); \
	ctest --preset $$arch -R 'demo\.end_to_end' --output-on-failure && cp $(BUILD)/$$arch/e2e/demo.png docs/demo.png

# Every architecture's tests, then the debug build's; the wineserver is
# stopped whatever the outcome.
test: build build-debug
	@status=0; \
	for p in $(ARCHES) $(DEBUG_PRESET); do \
	  echo "== ctest --preset $$p"; \
	  ctest --preset $$p $(CTEST_ARGS) || status=1; \
	done; \
	$(WINE_RUN) --stop; exit $$status

SOAK_CALLS ?= 1000000
SOAK_SEED ?= 1
soak: build
	@status=0; \
	for p in $(ARCHES); do \
	  echo "== soak $$p: the self-test and the short chunk"; \
	  ctest --preset $$p -R '\.soak\.' || status=1; \
	  echo "== soak $$p: $(SOAK_CALLS) calls"; \
	  (cd $(BUILD)/$$p/bin && $(WINE_RUN) ./soak.exe run --calls $(SOAK_CALLS) --seed $(SOAK_SEED) \
	    --out soak-results); \
	  rc=$$?; if [ $$rc = 77 ]; then echo "soak $$p skipped"; elif [ $$rc != 0 ]; then status=1; fi; \
	done; \
	$(WINE_RUN) --stop; exit $$status

MONKEY_EVENTS ?= 20000
MONKEY_SEED ?= 1
monkey: build
	@status=0; \
	for p in $(ARCHES); do \
	  echo "== monkey $$p: $(MONKEY_EVENTS) events, seed $(MONKEY_SEED)"; \
	  monkey/monkey --arch $$p --bin $(BUILD)/$$p/bin --prefix $(WINE_PREFIX)-x11 --out $(BUILD)/$$p/monkey \
	    --events $(MONKEY_EVENTS) --seed $(MONKEY_SEED); \
	  rc=$$?; if [ $$rc = 77 ]; then echo "monkey $$p skipped"; elif [ $$rc != 0 ]; then status=1; fi; \
	done; exit $$status

dist: docs
	tools/make-dist $(BUILD)

# One architecture after the other, so that they do not time each other;
# BENCH_ARGS passes options on (--rounds N, --only TEXT, --pictures FOLDER).
bench: build
	@status=0; \
	for p in $(ARCHES); do \
	  echo "== bench $$p"; \
	  $(RUNNER_OF); \
	  (cd $(BUILD)/$$p/bin && $(WINE_RUN) ./bench.exe $(BENCH_ARGS) $${runner:+--runner "$$runner"} \
	    --text $(abspath $(BUILD))/bench-$$p.txt --csv $(abspath $(BUILD))/bench-$$p.csv); \
	  rc=$$?; if [ $$rc = 77 ]; then echo "bench $$p skipped"; elif [ $$rc != 0 ]; then status=1; fi; \
	done; \
	$(WINE_RUN) --stop; exit $$status

# Every mutant of src/ (or MUTANTS of them, drawn with SEED), each built and
# tested in build/mutate; the report lists every survivor.
MUTANTS ?=
SEED ?= 1
mutate: bootstrap
	@python3 mutate/mutate.py --out $(abspath $(BUILD))/mutate --seed $(SEED) $(if $(MUTANTS),--mutants $(MUTANTS))

clean:
	rm -rf $(BUILD)
